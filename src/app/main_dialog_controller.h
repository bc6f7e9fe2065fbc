#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "platform/event_log.h"
#include "app/change_only_controls.h"
#include "app/job_reports.h"
#include "config/app_config.h"
#include "platform/clock.h"
#include "platform/dialog_layout.h"
#include "platform/dialog_controls.h"
#include "platform/editor_launcher.h"
#include "platform/file_chooser.h"
#include "platform/job_runner.h"
#include "platform/operation_environment.h"
#include "platform/serial_device.h"
#include "serial/com_port.h"
#include "telemetry/telemetry_reader.h"
#include "transfer/transfer.h"

namespace zr640 {

inline constexpr unsigned PollPeriodMs = 50;
// A lost line is tried again this often until the device is back.
inline constexpr std::uint32_t kReopenIntervalMs = 2000;
// While the line is fine it is probed this often: each probe is a call into the driver, and a
// lost line is still noticed within a second.
inline constexpr std::uint32_t kLineProbeIntervalMs = 500;
// WaypointFilePath holds at most 259 characters (260 bytes with the terminator).
inline constexpr std::size_t kMaxWaypointPathLength = 259;

// What a running transfer disables: every command that would read the port, start another
// transfer or change the file under it.
inline constexpr int kBusyDisabledIds[] = {IDC_RUN,    IDC_CHOOSE,  IDC_EDIT,
                                           IDC_UPDATE, IDC_REPLACE, IDC_SET_TASK};

struct ControllerServices {
    platform::SerialDevice& serialDevice;
    platform::FileChooser& fileChooser;
    platform::EditorLauncher& editor;
    platform::MonotonicClock& clock;
    platform::JobRunner& jobs;
};

// The main dialog's controller: what both front ends share. A front end maps its events to
// these four calls, implements DialogControls over its widgets and runs the jobs that the
// controller starts. A transfer runs as a job: the dialog's thread never waits for the
// instrument, and cancel (Escape, the close box) stops the transfer instead of the dialog.
class MainDialogController {
public:
    MainDialogController(const AppConfig& config, ControllerServices services);
    ~MainDialogController();

    void OnInitDialog(platform::DialogControls& dialog);
    void OnCommand(int id);
    void OnTimer();
    void OnDestroy();

    bool ReceiveEnabled() const { return receiveEnabled_; }
    bool TransferRunning() const { return transferRunning_; }
    const std::string& WaypointFilePath() const { return waypointFilePath_; }
    ComPort* Port() const { return port_; }

private:
    using Transfer = std::function<void(TransferContext&)>;

    void ChooseWaypointFile();
    void EditWaypointFile();
    void StartTransfer(Transfer transfer);
    void EndOfTransfer();
    void EnableBusyCommands(bool enabled);
    ComPort* OpenConfiguredPort();
    void WatchLine();

    const AppConfig& config_;
    ControllerServices services_;
    // The front end's controls, written through controls_ once the dialog is there.
    ChangeOnlyControls controls_;
    platform::DialogControls* dialog_ = nullptr;
    ComPort portRecord_;
    ComPort* port_ = nullptr;
    EventLog eventLog_;
    // What a transfer's job reports through, and how it is told to stop.
    PostedLog postedLog_{services_.jobs, eventLog_};
    PostedIndicators postedIndicators_{services_.jobs};
    PostedMessageBox postedBoxes_{services_.jobs};
    platform::OperationEnvironment operation_{&postedLog_, services_.clock};
    bool transferRunning_ = false;
    bool receiveEnabled_ = true;
    // The line went away under an open port; it is opened again every kReopenIntervalMs.
    bool lineLost_ = false;
    std::uint32_t nextReopenMs_ = 0;
    std::uint32_t nextProbeMs_ = 0;
    std::string waypointFilePath_;
    TelemetryReader telemetry_;
};

}  // namespace zr640
