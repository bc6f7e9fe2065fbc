// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "config/app_config.h"
#include "platform/operation_environment.h"
#include "serial/com_port.h"

namespace zr640 {

enum class UploadMode { Update, Replace };

// What a transfer works with while it runs as a job: the operation (log, clock, cancel), the
// port, which is the job's alone until it returns, and its own copies of the configuration
// with the route as it stood at the start (the route dialog may change the dialog's one
// meanwhile) and of the chosen file's path.
struct TransferContext {
    platform::OperationEnvironment& operation;
    ComPort* port;
    AppConfig config;
    std::string waypointFilePath;
    // There is no line to the instrument (lost, or never opened) and it could not be opened:
    // the transfer says so after its banner and sends nothing.
    bool lineMissing = false;
    // Set by the transfer when the line went away under it; the exchange has said so.
    bool lineLost = false;
    // Set by the transfer when it did all it set out to do: every record, or the task,
    // acknowledged.
    bool completed = false;
};

// Whether a waypoint file has been chosen; says so in a box when not, with `missing` (the
// upload's text unless another command names its own). On the dialog's thread, before an
// upload starts: the upload itself never shows a box.
inline constexpr const char* kNoFileToUpload =
    "Erst mal eine Wendepunktdatei zum \xDC" "bertragen w\xE4hlen!";
bool WaypointFileChosen(const std::string& waypointFilePath,
                        const char* missing = kNoFileToUpload);

// "Update WP's" / "Replace WP's": uploads the chosen waypoint file record by record, saying
// how many of how many the instrument has acknowledged.
void UploadWaypointFile(UploadMode mode, TransferContext& context);

// "Strecke setzen": sends the route as one task sentence.
void UploadTask(TransferContext& context);

}  // namespace zr640
