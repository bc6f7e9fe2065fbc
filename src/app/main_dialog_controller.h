#pragma once

#include <cstddef>
#include <string>

#include "config/app_config.h"
#include "platform/clock.h"
#include "platform/dialog_controls.h"
#include "platform/editor_launcher.h"
#include "platform/file_chooser.h"
#include "platform/serial_device.h"
#include "serial/com_port.h"
#include "telemetry/telemetry_reader.h"
#include "transfer/transfer.h"

namespace zr640 {

inline constexpr unsigned PollPeriodMs = 50;
// WaypointFilePath holds at most 259 characters (260 bytes with the terminator).
inline constexpr std::size_t kMaxWaypointPathLength = 259;

// Command ids of the main dialog (template 100).
enum CommandId : int {
    kCmdCancel = 2,
    kCmdRun = 102,
    kCmdUpdateWaypoints = 116,
    kCmdReplaceWaypoints = 117,
    kCmdChooseFile = 118,
    kCmdEditFile = 119,
    kCmdSetTask = 123,
};
inline constexpr int kPathFieldId = 109;

struct ControllerServices {
    platform::SerialDevice& serialDevice;
    platform::FileChooser& fileChooser;
    platform::EditorLauncher& editor;
    platform::MonotonicClock& clock;
};

// The main dialog's controller: what both front ends share. A front end maps its events to
// these four calls and implements DialogControls over its widgets.
class MainDialogController {
public:
    MainDialogController(const AppConfig& config, ControllerServices services);
    ~MainDialogController();

    void OnInitDialog(platform::DialogControls& dialog);
    void OnCommand(int id);
    void OnTimer();
    void OnDestroy();

    bool ReceiveEnabled() const { return receiveEnabled_; }
    const std::string& WaypointFilePath() const { return waypointFilePath_; }
    ComPort* Port() const { return port_; }

private:
    void ChooseWaypointFile();
    void EditWaypointFile();
    TransferContext MakeTransferContext();

    const AppConfig& config_;
    ControllerServices services_;
    platform::DialogControls* dialog_ = nullptr;
    ComPort portRecord_;
    ComPort* port_ = nullptr;
    platform::ListView* eventLog_ = nullptr;
    bool receiveEnabled_ = true;
    std::string waypointFilePath_;
    TelemetryReader telemetry_;
};

}  // namespace zr640
