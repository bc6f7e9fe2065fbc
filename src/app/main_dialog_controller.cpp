#include "app/main_dialog_controller.h"

#include <algorithm>

#include "app/event_log.h"
#include "platform/message_box.h"
#include "transfer/transfer.h"

namespace zr640 {
namespace {

constexpr int kRxRingSize = 256;
constexpr int kTxBufferSize = 256;
constexpr int kPortUserValue = 0;
constexpr int kEventLogExtentPixels = 2048;

}  // namespace

MainDialogController::MainDialogController(const AppConfig& config, ControllerServices services)
    : config_(config), services_(services) {}

MainDialogController::~MainDialogController() = default;

void MainDialogController::OnInitDialog(platform::DialogControls& dialog) {
    dialog_ = &dialog;
    dialog.StartTimer(PollPeriodMs);

    portRecord_.device = &services_.serialDevice;
    portRecord_.indicators = &dialog;
    port_ = OpenComPort(portRecord_, config_.PortNumber, config_.BaudRate, config_.Parity,
                        config_.DataBits, config_.StopBits, kRxRingSize, kTxBufferSize,
                        kPortUserValue);
    DiscardInput(port_);
    telemetry_.FrameSilenceLimitMs = FrameSilenceLimitForBaud(config_.BaudRate);

    eventLog_ = dialog.List(kEventLogId);
    if (eventLog_ != nullptr) {
        eventLog_->SetHorizontalExtent(kEventLogExtentPixels);
    }
    // The configuration never loads more than the table holds; the bound keeps a hand-made
    // AppConfig from reading past it.
    const int routeCount = std::clamp(config_.RouteCount, 0, kRouteSlots);
    for (int i = 1; i <= routeCount; ++i) {
        const WaypointFields& point = config_.Route.slot[static_cast<std::size_t>(i - 1)];
        LogPrintf(eventLog_, "Streckenpunkt %d: %s,%s", i, point.Field(1), point.Field(2));
    }
    LogPrintf(eventLog_, " \n \n");

    if (config_.Debug) {
        CloseComPort(port_);
        port_ = nullptr;
        dialog.StopTimer();
    }
}

void MainDialogController::OnCommand(int id) {
    switch (id) {
    case kCmdCancel:
        if (dialog_ != nullptr) {
            dialog_->EndDialog();
        }
        break;
    case kCmdRun:
        receiveEnabled_ = !receiveEnabled_;
        break;
    case kCmdUpdateWaypoints:
    case kCmdReplaceWaypoints: {
        TransferContext context = MakeTransferContext();
        UploadWaypointFile(id == kCmdUpdateWaypoints ? UploadMode::Update : UploadMode::Replace,
                           context);
        break;
    }
    case kCmdSetTask: {
        TransferContext context = MakeTransferContext();
        UploadTask(context);
        break;
    }
    case kCmdChooseFile:
        ChooseWaypointFile();
        break;
    case kCmdEditFile:
        EditWaypointFile();
        break;
    default:
        break;
    }
}

void MainDialogController::OnTimer() {
    if (dialog_ == nullptr) {
        return;
    }
    dialog_->CheckButton(kTxIndicatorId, false);
    if (port_ != nullptr && receiveEnabled_) {
        PollTelemetry(port_, telemetry_, *dialog_, eventLog_, services_.clock);
    }
}

void MainDialogController::OnDestroy() {
    if (port_ != nullptr) {
        CloseComPort(port_);
        port_ = nullptr;
    }
    if (dialog_ != nullptr) {
        dialog_->StopTimer();
    }
}

TransferContext MainDialogController::MakeTransferContext() {
    return TransferContext{eventLog_, port_, services_.clock, config_, receiveEnabled_,
                           waypointFilePath_};
}

void MainDialogController::ChooseWaypointFile() {
    const platform::FileChooserRequest request{
        "Wendepunktdatei w\xE4hlen",
        "waypoints",
        {{"Wendepunktdateien", "*.wht"}, {"Alle Dateien", "*.*"}},
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
        dialog_->SetItemText(kPathFieldId, waypointFilePath_.c_str());
    }
}

void MainDialogController::EditWaypointFile() {
    if (waypointFilePath_.empty()) {
        ShowMessage(platform::kStyleStopIcon, 1, "Fehler", "Erst mal eine Wendepunktdatei w\xE4hlen!");
        return;
    }
    services_.editor.OpenInEditor(waypointFilePath_.c_str());
}

}  // namespace zr640
