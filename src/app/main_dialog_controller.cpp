// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_dialog_controller.h"

#include <memory>
#include <utility>

#include "app/about_box.h"
#include "app/route_commands.h"
#include "platform/event_log.h"
#include "platform/message_box.h"
#include "platform/operation_environment.h"
#include "transfer/transfer.h"
#include "transfer/transfer_steps.h"

namespace zr640 {
namespace {

constexpr int kRxRingSize = 256;
constexpr int kEventLogExtentPixels = 2048;
// "Edit" and the route dialog need a file as much as an upload does, but say so in short.
constexpr const char* kNoFileChosen = "Erst mal eine Wendepunktdatei w\xE4hlen!";

// Swallows the boxes of the port's operations for as long as it lives: while an adapter is
// away, every attempt to open it again would fail with one.
class SilentBoxes final : public platform::MessageBox {
public:
    SilentBoxes() { platform::InstallThreadMessageBox(this); }
    ~SilentBoxes() override { platform::InstallThreadMessageBox(nullptr); }
    SilentBoxes(const SilentBoxes&) = delete;
    SilentBoxes& operator=(const SilentBoxes&) = delete;
    void Beep() override {}
    void Show(const char*, const char*, unsigned) override {}
};

}  // namespace

MainDialogController::MainDialogController(const AppConfig& config, ControllerServices services)
    : config_(config), services_(services) {}

// The worker is the controller's own: it ends before anything it works with is gone.
MainDialogController::~MainDialogController() { StopJob(); }

void MainDialogController::OnInitDialog(platform::DialogControls& dialog) {
    controls_.Attach(&dialog);
    dialog_ = &controls_;
    dialog_->StartTimer(PollPeriodMs);

    portRecord_.device = &services_.serialDevice;
    portRecord_.indicators = dialog_;
    port_ = OpenConfiguredPort();
    DiscardInput(port_);
    nextProbeMs_ = services_.clock.NowMs();
    telemetry_.FrameSilenceLimitMs = FrameSilenceLimitForBaud(config_.BaudRate);

    platform::ListView* list = dialog_->List(IDC_LOG);
    eventLog_.Attach(list);
    logCommands_.Attach(list);
    progress_.Attach(dialog_);
    if (list != nullptr) {
        list->SetHorizontalExtent(kEventLogExtentPixels);
    }
    postedIndicators_.Attach(dialog_);
    LogRoute(config_, &eventLog_);

    if (config_.Debug) {
        CloseComPort(port_);
        port_ = nullptr;
        dialog_->StopTimer();
    }
}

void MainDialogController::OnCommand(int id) {
    controls_.UserWorked(id);
    if (RunAnytimeCommand(id)) {
        return;
    }
    if (transferRunning_) {
        // The busy commands are disabled; one that was under way before still finds them so.
        if (id == IDC_CANCEL) {
            operation_.Cancel();
        }
        return;
    }
    switch (id) {
    case IDC_CANCEL:
        if (dialog_ != nullptr) {
            dialog_->EndDialog();
        }
        break;
    case IDC_RUN:
        receiveEnabled_ = !receiveEnabled_;
        break;
    case IDC_UPDATE:
    case IDC_REPLACE:
        if (WaypointFileChosen(waypointFilePath_)) {
            const UploadMode mode =
                id == IDC_UPDATE ? UploadMode::Update : UploadMode::Replace;
            StartTransfer([mode](TransferContext& context) { UploadWaypointFile(mode, context); });
        }
        break;
    case IDC_SET_TASK:
        RefreshRouteForTask(services_.profile, config_, &eventLog_);
        StartTransfer(UploadTask);
        break;
    case IDM_CHOOSE_ROUTE:
        ChooseRoute();
        break;
    case IDC_CHOOSE:
        ChooseWaypointFile();
        break;
    case IDC_EDIT:
        EditWaypointFile();
        break;
    default:
        break;
    }
}

void MainDialogController::OnLogDoubleClick() {
    platform::ListView* list = dialog_ != nullptr ? dialog_->List(IDC_LOG) : nullptr;
    if (!transferRunning_ && list != nullptr && IsRouteLine(list->GetText(list->GetCurSel()))) {
        ChooseRoute();
    }
}

// Taking the log away and the About box touch neither the port nor the chosen file.
bool MainDialogController::RunAnytimeCommand(int id) {
    switch (id) {
    case IDM_COPY_LINE:
        logCommands_.CopyLine();
        return true;
    case IDM_COPY_ALL:
        logCommands_.CopyAll();
        return true;
    case IDM_SAVE_LOG:
        logCommands_.Save();
        return true;
    case IDM_ABOUT:
        ShowAbout(config_.ConfigFilePath, services_.textConvention);
        return true;
    default:
        return false;
    }
}

std::vector<MenuEntry> MainDialogController::OpenLogMenu(Menu menu) {
    logCommands_.TakeSelectedLine();
    return MenuEntries(menu, {logCommands_.LineSelected(), transferRunning_});
}

void MainDialogController::CloseLogMenu(int chosenId) {
    if (chosenId != 0) {
        OnCommand(chosenId);
    }
    logCommands_.LetGoOfLine();
}

std::vector<MenuEntry> MainDialogController::SystemMenu() const {
    return MenuEntries(Menu::System, {logCommands_.LineSelected(), transferRunning_});
}

void MainDialogController::OnTimer() {
    if (dialog_ == nullptr) {
        return;
    }
    dialog_->CheckButton(IDC_TX, false);
    postedIndicators_.Dimmed(IDC_TX);
    // While a box of ours is open its loop keeps delivering ticks; the port waits until the
    // user has closed it.
    if (transferRunning_ || platform::MessageBoxOpen()) {
        return;
    }
    if (port_ != nullptr && receiveEnabled_) {
        PollTelemetry(port_, telemetry_, *dialog_, &eventLog_, services_.clock);
    }
    WatchLine();
}

ComPort* MainDialogController::OpenConfiguredPort() {
    return OpenComPort(portRecord_, config_.PortNumber, config_.BaudRate, config_.Parity,
                       config_.DataBits, config_.StopBits, kRxRingSize);
}

// An adapter pulled from its socket is the most common fault of all: the loss is logged once,
// and the same port is opened again with the configured settings as soon as it is back.
void MainDialogController::WatchLine() {
    const std::uint32_t nowMs = services_.clock.NowMs();
    if (port_ != nullptr) {
        if (static_cast<std::int32_t>(nowMs - nextProbeMs_) < 0) {
            return;
        }
        nextProbeMs_ = nowMs + kLineProbeIntervalMs;
        if (WaitComInput(port_, 0) != platform::InputWait::LineLost) {
            return;
        }
        LogPrintf(&eventLog_, "Verbindung zum Ger\xE4t verloren");
        DropLostLine();
        return;
    }
    if (!lineLost_ || static_cast<std::int32_t>(nowMs - nextReopenMs_) < 0) {
        return;
    }
    nextReopenMs_ = nowMs + kReopenIntervalMs;
    ReopenQuietly();
}

// The loss has been logged; the port is closed without a box and tried again from now on.
void MainDialogController::DropLostLine() {
    const SilentBoxes quiet;
    CloseComPort(port_);
    port_ = nullptr;
    lineLost_ = true;
    nextReopenMs_ = services_.clock.NowMs() + kReopenIntervalMs;
}

// Opens the configured port without a box: while an adapter is away every attempt fails.
bool MainDialogController::ReopenQuietly() {
    const SilentBoxes quiet;
    port_ = OpenConfiguredPort();
    if (port_ == nullptr) {
        return false;
    }
    DiscardInput(port_);
    nextProbeMs_ = services_.clock.NowMs() + kLineProbeIntervalMs;
    if (std::exchange(lineLost_, false)) {
        LogPrintf(&eventLog_, "Verbindung wiederhergestellt");
    }
    return true;
}

// The timer first, so that no tick comes between; then the job, whose reports are dropped
// rather than shown on a window that is closing.
void MainDialogController::OnDestroy() {
    if (dialog_ != nullptr) {
        dialog_->StopTimer();
    }
    StopJob();
    if (port_ != nullptr) {
        CloseComPort(port_);
        port_ = nullptr;
    }
}

void MainDialogController::StopJob() {
    operation_.Cancel();
    services_.jobs.Shutdown();
}

// The port is the job's alone until it ends: the tick reads nothing while reception is off,
// and the commands that could touch the port are disabled. Without a line a transfer would
// only wait for answers that cannot come: the port is tried once more, and when it stays away
// the transfer says so and sends nothing (Debug runs against no port on purpose).
void MainDialogController::StartTransfer(Transfer transfer) {
    const bool lineMissing = port_ == nullptr && !config_.Debug && !ReopenQuietly();
    transferRunning_ = true;
    receiveEnabled_ = false;
    EnableBusyCommands(false);
    operation_.Reset();
    portRecord_.indicators = &postedIndicators_;
    postedIndicators_.Dimmed(IDC_RX);
    postedIndicators_.Dimmed(IDC_TX);
    services_.jobs.Start([this, transfer = std::move(transfer), port = port_, lineMissing,
                          config = config_, path = waypointFilePath_] {
        platform::InstallThreadMessageBox(&postedBoxes_);
        TransferContext context{operation_, port, config, path, lineMissing};
        RunGuarded(transfer, context);
        platform::InstallThreadMessageBox(nullptr);
        services_.jobs.Post([this, lost = context.lineLost, completed = context.completed] {
            EndOfTransfer(lost, completed);
        });
    });
}

// However the transfer ended, live reception is on again, even if "Run" had switched it off.
// A line lost under the transfer has been logged by it; the tick would log it again.
void MainDialogController::EndOfTransfer(bool lineLost, bool completed) {
    portRecord_.indicators = dialog_;
    progress_.End(completed);
    receiveEnabled_ = true;
    transferRunning_ = false;
    EnableBusyCommands(true);
    if (lineLost && port_ != nullptr) {
        DropLostLine();
    }
}

void MainDialogController::EnableBusyCommands(bool enabled) {
    if (dialog_ == nullptr) {
        return;
    }
    for (int id : kBusyDisabledIds) {
        dialog_->EnableItem(id, enabled);
    }
}

void MainDialogController::ChooseWaypointFile() {
    const platform::FileChooserRequest request{
        "Wendepunktdatei w\xE4hlen",
        "waypoints",
        {{"Wendepunktdateien", "*.wht"}, {"Alle Dateien", "*.*"}},
        platform::FileChooserPurpose::Open,
        "",
    };
    std::string chosen;
    if (!services_.fileChooser.ChooseFile(request, chosen)) {
        return;
    }
    // The transfers and the editor take the path as it is kept; a path cut short would name
    // another file, so a longer one is refused and the earlier choice stays.
    if (chosen.size() > kMaxWaypointPathLength) {
        ShowMessage(platform::kStyleStopIcon, 1, "Fehler",
                    "Der Pfad der Wendepunktdatei ist zu lang (mehr als %d Zeichen):\n%.700s",
                    static_cast<int>(kMaxWaypointPathLength), chosen.c_str());
        return;
    }
    waypointFilePath_ = chosen;
    if (dialog_ != nullptr) {
        dialog_->SetItemText(IDC_PATH, waypointFilePath_.c_str());
    }
}

void MainDialogController::EditWaypointFile() {
    if (WaypointFileChosen(waypointFilePath_, kNoFileChosen)) {
        services_.editor.OpenInEditor(waypointFilePath_.c_str());
    }
}

// A file of many records would hold the dialog: they are read by a job, which Escape stops
// like a transfer. The buttons stay as they are, as the reading is mostly over in an instant;
// the commands wait for it all the same.
void MainDialogController::ChooseRoute() {
    if (!WaypointFileChosen(waypointFilePath_, kNoFileChosen)) {
        return;
    }
    auto choice = std::make_shared<RouteChoice>(config_, waypointFilePath_);
    if (!ReadRouteForChoice(services_.profile, config_, &eventLog_, *choice)) {
        return;
    }
    transferRunning_ = true;
    operation_.Reset();
    services_.jobs.Start([this, choice] {
        ReadRecordsForChoice(*choice, operation_);
        services_.jobs.Post([this, choice] {
            transferRunning_ = false;
            OpenRouteDialog(*choice, services_.profile, services_.routeDialog, config_,
                            &eventLog_);
        });
    });
}

}  // namespace zr640
