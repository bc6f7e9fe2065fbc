// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/event_log.h"
#include "app/change_only_controls.h"
#include "app/job_reports.h"
#include "app/log_commands.h"
#include "app/log_text.h"
#include "app/menus.h"
#include "app/progress_display.h"
#include "app/route_dialog.h"
#include "config/app_config.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/dialog_layout.h"
#include "platform/dialog_controls.h"
#include "platform/editor_launcher.h"
#include "platform/file_chooser.h"
#include "platform/job_runner.h"
#include "platform/operation_environment.h"
#include "platform/profile_file.h"
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
    platform::Clipboard& clipboard;
    // How the log is handed out on this platform: on the clipboard and in a saved file.
    platform::TextConvention textConvention;
    // zr640.ini, where the route dialog writes [Strecke] and "Strecke setzen" reads it again.
    platform::ProfileFile& profile;
    RouteDialog& routeDialog;
};

// The main dialog's controller: what both front ends share. A front end maps its events to
// these calls, implements DialogControls over its widgets, draws the menus it is given and
// runs the jobs that the controller starts. A transfer runs as a job: the dialog's thread
// never waits for the instrument, and cancel (Escape, the close box) stops the transfer
// instead of the dialog. A menu's command arrives as OnCommand(id), like a button's.
class MainDialogController {
public:
    MainDialogController(const AppConfig& config, ControllerServices services);
    ~MainDialogController();

    void OnInitDialog(platform::DialogControls& dialog);
    void OnCommand(int id);
    // A double-click on the event log, on the entry it has selected.
    void OnLogDoubleClick();
    void OnTimer();
    void OnDestroy();

    // The log's context menu as it opens now (right-click, Shift+F10, the menu key); the
    // front end draws it and then says which command was chosen, 0 for none.
    std::vector<MenuEntry> OpenLogMenu(Menu menu);
    void CloseLogMenu(int chosenId);
    // The window's system menu: what it holds below its own entries, as it opens now.
    std::vector<MenuEntry> SystemMenu() const;

    bool ReceiveEnabled() const { return receiveEnabled_; }
    bool TransferRunning() const { return transferRunning_; }
    const std::string& WaypointFilePath() const { return waypointFilePath_; }
    ComPort* Port() const { return port_; }

private:
    using Transfer = std::function<void(TransferContext&)>;

    void ChooseWaypointFile();
    void EditWaypointFile();
    void ChooseRoute();
    void StartTransfer(Transfer transfer);
    void EndOfTransfer(bool lineLost, bool completed);
    // The commands that any state allows, a running transfer too; false for any other id.
    bool RunAnytimeCommand(int id);
    void StopJob();
    void EnableBusyCommands(bool enabled);
    ComPort* OpenConfiguredPort();
    void WatchLine();
    void DropLostLine();
    bool ReopenQuietly();

    AppConfig config_;
    ControllerServices services_;
    // The front end's controls, written through controls_ once the dialog is there.
    ChangeOnlyControls controls_;
    platform::DialogControls* dialog_ = nullptr;
    ComPort portRecord_;
    ComPort* port_ = nullptr;
    EventLog eventLog_;
    // The save chooser starts where the program started: in the folder of its configuration.
    LogCommands logCommands_{services_.clipboard, services_.textConvention, services_.fileChooser,
                             FolderOf(config_.ConfigFilePath)};
    ProgressDisplay progress_;
    // What a transfer's job reports through, and how it is told to stop.
    PostedLog postedLog_{services_.jobs, eventLog_};
    PostedIndicators postedIndicators_{services_.jobs};
    PostedMessageBox postedBoxes_{services_.jobs};
    PostedProgress postedProgress_{services_.jobs, progress_};
    platform::OperationEnvironment operation_{&postedLog_, services_.clock, &postedProgress_};
    // A job runs: a transfer, or the reading of the records for the route dialog.
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
