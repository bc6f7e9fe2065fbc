#pragma once

#include <string>

#include "config/app_config.h"
#include "platform/clock.h"
#include "platform/list_view.h"
#include "serial/com_port.h"

namespace zr640 {

enum class UploadMode { Update, Replace };

// What a transfer works with: the controller's state, lent for one command.
struct TransferContext {
    platform::ListView* log;
    ComPort* port;
    platform::MonotonicClock& clock;
    const AppConfig& config;
    bool& receiveEnabled;
    const std::string& waypointFilePath;
};

// "Update WP's" / "Replace WP's": uploads the chosen waypoint file record by record.
void UploadWaypointFile(UploadMode mode, TransferContext& context);

// "Strecke setzen": sends the configured route as one task sentence.
void UploadTask(TransferContext& context);

}  // namespace zr640
