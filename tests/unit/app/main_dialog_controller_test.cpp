// The main dialog's controller over the dialog seam, with the real configuration, port, event
// log, telemetry reader and transfers behind it; the dialog, the device, the file chooser, the
// editor and the job runner are fakes.
#include "app/main_dialog_controller.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "config/configuration.h"
#include "fake_dialog_controls.h"
#include "fake_serial_device.h"
#include "manual_job_runner.h"
#include "platform/quit_request.h"
#include "profile_file_backend.h"
#include "recording_message_box.h"

namespace zr640 {
namespace {

using ::testing::ElementsAre;
using Checks = std::vector<std::pair<int, bool>>;

// The user at the file chooser (who cancels while `answer` is empty) and at the editor.
class FakeUser final : public platform::FileChooser, public platform::EditorLauncher {
public:
    bool ChooseFile(const platform::FileChooserRequest& request, std::string& chosen) override {
        requests.push_back(request);
        chosen = answer.empty() ? chosen : answer;
        return !answer.empty();
    }
    void OpenInEditor(const char* path) override { opened.emplace_back(path); }
    std::string answer;
    std::vector<platform::FileChooserRequest> requests;
    std::vector<std::string> opened;
};

// A device status frame as the instrument sends it, and its line in the log.
const std::string kStatusFrame("\x24\x41\x19\x00\x02\x41\x31\x32\x33\x34\x00\x03\x1F\x19\xFE\xDD"
                               "\xFF\x78\x00\x57\x00\x82\x7B\x53\xD1", 25);
const char* const kStatusLine =
    "Reading     1 Satznr 2 Werknummer:A1234 Schalterstellung:3 Menu:1f MCPoti:25 WindPoti:-2 "
    "WindKomponente:-3.50 WindEmpfehlung:12.00 WindVektorBetrag:8.70 WindVektorBogen:225.00";

class MainDialogControllerTest : public ::testing::Test {
protected:
    // The controller reads the configuration for its whole life: it starts once that is set.
    void Start() {
        controller = std::make_unique<MainDialogController>(
            config, ControllerServices{device, user, user, clock, jobs});
        controller->OnInitDialog(dialog);
    }
    void Ticks(int count) {
        for (int i = 0; i < count; ++i, clock.Advance(PollPeriodMs)) controller->OnTimer();
    }
    void Command(int id) { controller->OnCommand(id); }
    void Choose(const std::string& answer) {
        user.answer = answer;
        Command(IDC_CHOOSE);
    }
    std::vector<std::string>& Log() { return dialog.list.entries; }
    std::string WaypointFile() {
        testing::WriteBytes(directory.File("alpen.wht"), "Lauf-Lillinghof,EDQI\r\n");
        return directory.File("alpen.wht");
    }

    testing::TemporaryDirectory directory;
    testing::RecordingMessageBox boxes;
    testing::ManualClock clock;
    testing::FakeSerialDevice device{&clock};
    FakeUser user;
    testing::FakeDialogControls dialog;
    testing::ManualJobRunner jobs;
    AppConfig config;
    std::unique_ptr<MainDialogController> controller;
};

// The configuration as a first start writes it (with its box) and the next start reads it.
TEST_F(MainDialogControllerTest, AFreshConfigurationListsTheRouteAndOpensCom1) {
    const auto profile = testing::MakePlatformProfileFile();
    AppConfig created;
    LoadConfiguration(*profile, directory.Path(), testing::kPathSeparator, created);
    ResetQuitRequest();  // raised by the first start, which writes the file
    LoadConfiguration(*profile, directory.Path(), testing::kPathSeparator, config);
    Start();
    EXPECT_THAT(Log(), ElementsAre("Streckenpunkt 1: Lauf-Lilling,EDQI",
                                   "Streckenpunkt 2: Oschersleben,EDOL",
                                   "Streckenpunkt 3: Hetzleser Be,EDQX",
                                   "Streckenpunkt 4: Bayreuth,EDQD", " ", " "));
    EXPECT_TRUE(dialog.list.selection == 5 && dialog.list.horizontalExtent == 2048 &&
                dialog.timerPeriodMs == 50u && boxes.shown.size() == 1);
    EXPECT_EQ(device.CallCount("BuildLineSettings COM1:4800,N,8,1"), 1);
    EXPECT_EQ(device.calls.back(), "Purge 10");  // the input that came before is discarded
}

// Each tick clears TX and reads a frame only while reception is on ("Run" switches it); a frame
// broken off is given up after 20 characters of silence at the configured rate.
TEST_F(MainDialogControllerTest, TheTickClearsTxAndReadsOnlyWhileReceptionIsOn) {
    config.BaudRate = 300;
    Start();
    device.Feed(kStatusFrame);
    Command(IDC_RUN);
    Ticks(2);
    EXPECT_EQ(dialog.checks, (Checks{{IDC_TX, false}, {IDC_TX, false}}));
    Command(IDC_RUN);
    Ticks(1);
    EXPECT_THAT(Log(), ElementsAre(" ", " ", kStatusLine));
    device.Feed("$A");
    const std::uint32_t startMs = clock.NowMs();
    controller->OnTimer();
    EXPECT_EQ(clock.NowMs() - startMs, 667u);
    controller->OnDestroy();
    EXPECT_TRUE(device.CallCount("Close") == 1 && !dialog.timerRunning);
}

TEST_F(MainDialogControllerTest, DebugClosesThePortAndStopsTheTicksAtOnce) {
    config.Debug = true;
    Start();
    EXPECT_FALSE(device.isOpen || dialog.timerRunning);
    controller->OnDestroy();
    EXPECT_EQ(device.CallCount("Close"), 1);
}

TEST_F(MainDialogControllerTest, AFailedOpeningShowsItsBoxAndLeavesNoPortToReadOrClose) {
    device.failing.insert(testing::DeviceStep::Open);
    Start();
    Ticks(1);
    const std::size_t calls = device.calls.size();
    controller->OnDestroy();
    EXPECT_EQ(device.calls.size(), calls);
    EXPECT_EQ(dialog.checks, (Checks{{IDC_TX, false}}));
    EXPECT_TRUE(boxes.shown.size() == 1 && boxes.shown[0].caption == "Error");
}

// Enter (command 1), the ids of the controls that are no buttons and unknown ids do nothing.
TEST_F(MainDialogControllerTest, CancelEndsTheDialogAndOtherIdsDoNothing) {
    Start();
    const std::size_t calls = device.calls.size();
    for (int id : {0, IDC_ENTER, 3, 101, 103, 104, 109, 110, 120, 0xFFFF}) Command(id);
    EXPECT_TRUE(!dialog.ended && controller->ReceiveEnabled() && user.requests.empty() &&
                boxes.shown.empty() && device.calls.size() == calls);
    EXPECT_THAT(Log(), ElementsAre(" ", " "));
    Command(IDC_CANCEL);
    EXPECT_TRUE(dialog.ended);
}

// Cancelled, the chooser keeps the earlier choice, and so does a path longer than 259
// characters, with a box; "Edit" without a file only complains.
TEST_F(MainDialogControllerTest, ChoosingAndEditingTheWaypointFile) {
    Start();
    Command(IDC_EDIT);
    const std::string longest = "/" + std::string(kMaxWaypointPathLength - 5, 'w') + ".wht";
    for (const std::string& answer : {std::string(), longest, longest + "x", std::string()}) {
        Choose(answer);
    }
    Command(IDC_EDIT);
    const platform::FileChooserRequest& request = user.requests.at(0);
    EXPECT_EQ(request.title + "|" + request.initialDirectory + "|" + request.filters.at(0).second +
                  "|" + request.filters.at(1).first,
              "Wendepunktdatei w\xE4hlen|waypoints|*.wht|Alle Dateien");
    EXPECT_THAT(user.opened, ElementsAre(longest));
    EXPECT_EQ(dialog.itemText[IDC_PATH], longest);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text, "Erst mal eine Wendepunktdatei w\xE4hlen!");
    EXPECT_THAT(boxes.shown[1].text, ::testing::HasSubstr("(mehr als 259 Zeichen)"));
    EXPECT_TRUE(boxes.shown[1].caption == "Fehler" && boxes.shown[1].style == 16u &&
                boxes.beeps == 2);
}

// While a transfer runs as a job, its commands are greyed and find nothing to do, cancel stops
// the transfer instead of the dialog, and its end gives everything back.
TEST_F(MainDialogControllerTest, ATransferIsAJobThatCancelStops) {
    Start();
    Choose(WaypointFile());
    Command(IDC_REPLACE);
    const std::set<int> busy{IDC_RUN, IDC_UPDATE, IDC_REPLACE, IDC_CHOOSE, IDC_EDIT, IDC_SET_TASK};
    EXPECT_TRUE(jobs.JobPending() && dialog.disabled == busy);
    for (int id : busy) Command(id);
    Command(IDC_CANCEL);
    EXPECT_TRUE(!controller->ReceiveEnabled() && user.requests.size() == 1 && !dialog.ended);
    jobs.Finish();
    EXPECT_TRUE(dialog.disabled.empty() && controller->ReceiveEnabled() && device.written.empty());
    EXPECT_EQ(Log().back(), "Abbruch durch Benutzer nach 0 S\xE4tzen");
    Command(IDC_CANCEL);
    EXPECT_TRUE(dialog.ended);
}

// However a transfer ends (here the instrument stays silent), reception is on again and RTS
// low, even when "Run" had switched reception off; only an upload without a file leaves both.
TEST_F(MainDialogControllerTest, ReceptionIsOnAgainAfterEveryTransfer) {
    Start();
    Command(IDC_RUN);
    Command(IDC_UPDATE);
    EXPECT_TRUE(!controller->ReceiveEnabled() && device.escapes.empty() && boxes.shown.size() == 1);
    Choose(WaypointFile());
    const std::pair<int, const char*> transfers[] = {
        {IDC_SET_TASK, "$KTWPR,"}, {IDC_UPDATE, "$KTWPI,Update*"}, {IDC_REPLACE, "$KTWPI,Replace*"}};
    for (const auto& [command, sentence] : transfers) {
        if (controller->ReceiveEnabled()) Command(IDC_RUN);
        device.written.clear();
        Command(command);
        jobs.Finish();
        EXPECT_TRUE(controller->ReceiveEnabled() && device.escapes.back() == CLRRTS) << sentence;
        EXPECT_EQ(device.written.rfind(sentence, 0), 0u) << device.written;
    }
}

// The ticks that a box's own loop delivers read nothing, and those after it do not report the
// same fault again.
TEST_F(MainDialogControllerTest, AFailingReadShowsOneBoxWhileTicksKeepComing) {
    Start();
    device.failing.insert(testing::DeviceStep::SetEventMask);
    boxes.whileOpen = [&] { Ticks(5); };
    Ticks(5);
    EXPECT_EQ(device.CallCount("ReadByte"), 5);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "SetCommMask");
}

// A pulled adapter: the loss is logged once, the port is tried again every 2 s without a box,
// and once it opens the log says so and reading goes on.
TEST_F(MainDialogControllerTest, ALostLineIsOpenedAgainQuietlyWhenTheDeviceIsBack) {
    Start();
    device.lineLost = true;
    device.failing.insert(testing::DeviceStep::Open);
    Ticks(100);
    EXPECT_EQ(device.CallCount("Open "), 3);  // at the start, then after 2 and 4 s
    device.failing.clear();
    device.lineLost = false;
    Ticks(40);
    device.Feed(kStatusFrame);
    Ticks(1);
    EXPECT_THAT(Log(), ElementsAre(" ", " ", "Verbindung zum Ger\xE4t verloren",
                                   "Verbindung wiederhergestellt", kStatusLine));
    EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace
}  // namespace zr640
