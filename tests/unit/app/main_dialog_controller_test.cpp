// The main dialog's controller over the dialog seam, with the real configuration, port,
// event log and telemetry reader behind it; only the dialog, the device, the file chooser and
// the editor are fakes.
#include "app/main_dialog_controller.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/quit_request.h"
#include "config/configuration.h"
#include "serial/com_port.h"
#include "fake_dialog_controls.h"
#include "fake_serial_device.h"
#include "manual_clock.h"
#include "manual_job_runner.h"
#include "profile_file_backend.h"
#include "recording_message_box.h"

namespace zr640 {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::DeviceStep;
using testing::FakeDialogControls;
using testing::FakeSerialDevice;
using testing::ManualClock;
using testing::RecordingMessageBox;

class FakeFileChooser final : public platform::FileChooser {
public:
    bool ChooseFile(const platform::FileChooserRequest& request, std::string& chosen) override {
        requests.push_back(request);
        if (!answer.empty()) {
            chosen = answer;
        }
        return !answer.empty();
    }

    std::string answer;  // empty: the user cancels
    std::vector<platform::FileChooserRequest> requests;
};

class FakeEditorLauncher final : public platform::EditorLauncher {
public:
    void OpenInEditor(const char* path) override { opened.emplace_back(path); }
    std::vector<std::string> opened;
};

// The configuration as a first start writes it and the next start reads it.
AppConfig FreshConfiguration() {
    testing::TemporaryDirectory directory;
    std::unique_ptr<platform::ProfileFile> profile = testing::MakePlatformProfileFile();
    RecordingMessageBox creationMessage;
    AppConfig created;
    LoadConfiguration(*profile, directory.Path(), testing::kPathSeparator, created);
    ResetQuitRequest();
    AppConfig config;
    LoadConfiguration(*profile, directory.Path(), testing::kPathSeparator, config);
    return config;
}

// The device status record of a frame as the instrument sends it, 25 bytes.
const std::string kStatusFrame(
    "\x24\x41\x19\x00\x02\x41\x31\x32\x33\x34\x00\x03\x1F\x19\xFE\xDD\xFF\x78\x00\x57\x00\x82"
    "\x7B\x53\xD1",
    25);

class MainDialogControllerTest : public ::testing::Test {
protected:
    void SetUp() override { ResetQuitRequest(); }

    void Init() { controller->OnInitDialog(dialog); }

    // The controller reads the configuration for its whole life: make it after the test has
    // set the configuration up.
    void Build() {
        controller = std::make_unique<MainDialogController>(
            config, ControllerServices{device, chooser, editor, clock, jobs});
    }

    std::vector<std::string>& Log() { return dialog.list.entries; }

    RecordingMessageBox messages;
    ManualClock clock;
    FakeSerialDevice device{&clock};
    FakeFileChooser chooser;
    FakeEditorLauncher editor;
    FakeDialogControls dialog;
    testing::ManualJobRunner jobs;
    AppConfig config;
    std::unique_ptr<MainDialogController> controller;
};

TEST_F(MainDialogControllerTest, InitialisationWithAFreshConfigurationListsTheRoute) {
    config = FreshConfiguration();
    Build();
    Init();

    EXPECT_THAT(Log(), ElementsAre("Streckenpunkt 1: Lauf-Lilling,EDQI",
                                   "Streckenpunkt 2: Oschersleben,EDOL",
                                   "Streckenpunkt 3: Hetzleser Be,EDQX",
                                   "Streckenpunkt 4: Bayreuth,EDQD", " ", " "));
    EXPECT_EQ(dialog.list.selection, 5);
    EXPECT_EQ(dialog.list.horizontalExtent, 2048);
    EXPECT_TRUE(dialog.timerRunning);
    EXPECT_EQ(dialog.timerPeriodMs, 50u);
    // COM1 at 4800 baud, opened and its input discarded.
    EXPECT_EQ(device.openedPort, 1);
    EXPECT_EQ(device.CallCount("BuildLineSettings COM1:4800,N,8,1"), 1);
    ASSERT_NE(controller->Port(), nullptr);
    EXPECT_TRUE(device.isOpen);
    EXPECT_EQ(device.calls.back(), "Purge " + std::to_string(platform::kPurgeRxAbort |
                                                              platform::kPurgeRxClear));
    EXPECT_TRUE(controller->ReceiveEnabled());
    EXPECT_THAT(messages.shown, IsEmpty());
}

TEST_F(MainDialogControllerTest, WithoutRoutePointsTheLogStartsWithTheSeparators) {
    Build();
    Init();
    EXPECT_THAT(Log(), ElementsAre(" ", " "));
}

TEST_F(MainDialogControllerTest, TickClearsTxAndReadsOnlyWhileReceptionIsOn) {
    Build();
    Init();
    device.Feed("wx");

    controller->OnTimer();
    EXPECT_EQ(dialog.checks.front(), std::make_pair(104, false));
    EXPECT_TRUE(device.input.empty());
    EXPECT_EQ(dialog.itemText[101], "78 x ");

    device.Feed("y");
    controller->OnCommand(IDC_RUN);
    EXPECT_FALSE(controller->ReceiveEnabled());
    dialog.checks.clear();
    controller->OnTimer();
    controller->OnTimer();
    EXPECT_EQ(device.input.size(), 1u);
    EXPECT_EQ(dialog.checks, (std::vector<std::pair<int, bool>>{{104, false}, {104, false}}));

    controller->OnCommand(IDC_RUN);
    EXPECT_TRUE(controller->ReceiveEnabled());
    controller->OnTimer();
    EXPECT_TRUE(device.input.empty());
    // "Run" neither logs nor relabels anything.
    EXPECT_THAT(Log(), ElementsAre(" ", " "));
    EXPECT_EQ(dialog.itemText.count(102), 0u);
}

TEST_F(MainDialogControllerTest, TickLogsAFrameFromThePort) {
    config.BaudRate = 300;
    Build();
    Init();
    device.Feed(kStatusFrame);

    controller->OnTimer();

    EXPECT_THAT(Log(), ElementsAre(" ", " ",
                                   "Reading     1 Satznr 2 Werknummer:A1234 Schalterstellung:3 "
                                   "Menu:1f MCPoti:25 WindPoti:-2 WindKomponente:-3.50 "
                                   "WindEmpfehlung:12.00 WindVektorBetrag:8.70 "
                                   "WindVektorBogen:225.00"));
    EXPECT_EQ(dialog.itemText[101], "24 $ ");
    // A frame broken off is given up after 20 characters of silence at the configured rate.
    device.Feed("$A");
    const std::uint32_t startMs = clock.NowMs();
    controller->OnTimer();
    EXPECT_EQ(clock.NowMs() - startMs, 667u);
}

TEST_F(MainDialogControllerTest, DebugClosesThePortAndStopsTheTimerAtOnce) {
    config.Debug = true;
    Build();
    Init();

    EXPECT_EQ(controller->Port(), nullptr);
    EXPECT_FALSE(dialog.timerRunning);
    EXPECT_FALSE(device.isOpen);
    EXPECT_THAT(Log(), ElementsAre(" ", " "));

    device.Feed(kStatusFrame);
    controller->OnTimer();
    EXPECT_EQ(device.input.size(), kStatusFrame.size());

    controller->OnDestroy();
    EXPECT_EQ(device.CallCount("Close"), 1);
}

TEST_F(MainDialogControllerTest, AFailedOpeningLeavesNoPortToReadOrClose) {
    device.failing.insert(DeviceStep::Open);
    Build();
    Init();

    EXPECT_EQ(controller->Port(), nullptr);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "Error");
    EXPECT_TRUE(dialog.timerRunning);
    EXPECT_THAT(Log(), ElementsAre(" ", " "));

    device.Feed("x");
    dialog.checks.clear();
    controller->OnTimer();
    EXPECT_EQ(dialog.checks, (std::vector<std::pair<int, bool>>{{104, false}}));
    EXPECT_EQ(device.input.size(), 1u);

    const std::size_t callsBefore = device.calls.size();
    controller->OnDestroy();
    EXPECT_EQ(device.calls.size(), callsBefore);
    EXPECT_FALSE(dialog.timerRunning);
}

TEST_F(MainDialogControllerTest, DestructionClosesThePortOnceAndStopsTheTimer) {
    Build();
    Init();
    controller->OnDestroy();

    EXPECT_FALSE(device.isOpen);
    EXPECT_EQ(device.CallCount("Close"), 1);
    EXPECT_FALSE(dialog.timerRunning);
    EXPECT_EQ(controller->Port(), nullptr);
}

TEST_F(MainDialogControllerTest, CancelEndsTheDialogAndOtherIdsDoNothing) {
    Build();
    Init();
    const std::size_t callsBefore = device.calls.size();

    for (int id : {0, 1, 3, 101, 103, 104, 109, 110, 120, 0xFFFF}) {
        controller->OnCommand(id);
    }

    EXPECT_FALSE(dialog.ended);
    EXPECT_TRUE(controller->ReceiveEnabled());
    EXPECT_THAT(Log(), ElementsAre(" ", " "));
    EXPECT_THAT(messages.shown, IsEmpty());
    EXPECT_THAT(chooser.requests, IsEmpty());
    EXPECT_EQ(device.calls.size(), callsBefore);

    controller->OnCommand(IDC_CANCEL);
    EXPECT_TRUE(dialog.ended);
}

TEST_F(MainDialogControllerTest, ChoosingAWaypointFile) {
    Build();
    Init();

    controller->OnCommand(IDC_CHOOSE);
    ASSERT_EQ(chooser.requests.size(), 1u);
    const platform::FileChooserRequest& request = chooser.requests[0];
    EXPECT_EQ(request.title, "Wendepunktdatei w\xE4hlen");
    EXPECT_EQ(request.initialDirectory, "waypoints");
    EXPECT_THAT(request.filters,
                ElementsAre(std::make_pair(std::string("Wendepunktdateien"), std::string("*.wht")),
                            std::make_pair(std::string("Alle Dateien"), std::string("*.*"))));
    // Cancelled: still none chosen.
    EXPECT_EQ(controller->WaypointFilePath(), "");
    EXPECT_EQ(dialog.itemText.count(109), 0u);

    chooser.answer = "C:\\flug\\waypoints\\neu.wht";
    controller->OnCommand(IDC_CHOOSE);
    EXPECT_EQ(controller->WaypointFilePath(), "C:\\flug\\waypoints\\neu.wht");
    EXPECT_EQ(dialog.itemText[109], "C:\\flug\\waypoints\\neu.wht");

    chooser.answer.clear();
    controller->OnCommand(IDC_CHOOSE);
    EXPECT_EQ(controller->WaypointFilePath(), "C:\\flug\\waypoints\\neu.wht");
    EXPECT_EQ(dialog.itemText[109], "C:\\flug\\waypoints\\neu.wht");
    EXPECT_THAT(messages.shown, IsEmpty());
}

TEST_F(MainDialogControllerTest, APathLongerThanTheBufferIsRefusedAndTheOldOneStays) {
    Build();
    Init();
    const std::string longest = "/" + std::string(kMaxWaypointPathLength - 5, 'w') + ".wht";
    ASSERT_EQ(longest.size(), 259u);
    chooser.answer = longest;
    controller->OnCommand(IDC_CHOOSE);
    EXPECT_EQ(controller->WaypointFilePath(), longest);

    chooser.answer = "/" + std::string(kMaxWaypointPathLength - 4, 'x') + ".wht";
    controller->OnCommand(IDC_CHOOSE);

    EXPECT_EQ(controller->WaypointFilePath(), longest);
    EXPECT_EQ(dialog.itemText[109], longest);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "Fehler");
    EXPECT_THAT(messages.shown[0].text, ::testing::HasSubstr("259"));
    EXPECT_EQ(messages.shown[0].style, 16u);
}

TEST_F(MainDialogControllerTest, EditWithoutAFileOnlyComplains) {
    Build();
    Init();

    controller->OnCommand(IDC_EDIT);

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "Fehler");
    EXPECT_EQ(messages.shown[0].text, "Erst mal eine Wendepunktdatei w\xE4hlen!");
    EXPECT_EQ(messages.shown[0].style, 16u);
    EXPECT_TRUE(messages.shown[0].beepedBefore);
    EXPECT_THAT(editor.opened, IsEmpty());

    chooser.answer = "C:\\flug\\waypoints\\alpen.wht";
    controller->OnCommand(IDC_CHOOSE);
    controller->OnCommand(IDC_EDIT);
    EXPECT_THAT(editor.opened, ElementsAre("C:\\flug\\waypoints\\alpen.wht"));
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(MainDialogControllerTest, TransfersEndWithReceptionOnWhateverItWasBefore) {
    config = FreshConfiguration();
    Build();
    Init();
    testing::TemporaryDirectory directory;
    const std::string file = directory.File("alpen.wht");
    testing::WriteBytes(file, "Lauf-Lillinghof,EDQI\r\n");
    chooser.answer = file;
    controller->OnCommand(IDC_CHOOSE);

    // The instrument stays silent: each transfer fails, and still hands reception back.
    const std::pair<int, const char*> transfers[] = {{IDC_SET_TASK, "$KTWPR,"},
                                                     {IDC_UPDATE, "$KTWPI,Update*"},
                                                     {IDC_REPLACE, "$KTWPI,Replace*"}};
    for (const auto& [command, sentence] : transfers) {
        controller->OnCommand(IDC_RUN);
        ASSERT_FALSE(controller->ReceiveEnabled());
        device.written.clear();
        device.escapes.clear();

        controller->OnCommand(command);
        jobs.RunAll();

        EXPECT_TRUE(controller->ReceiveEnabled()) << command;
        EXPECT_EQ(device.written.rfind(sentence, 0), 0u) << device.written;
        ASSERT_FALSE(device.escapes.empty());
        EXPECT_EQ(device.escapes.back(), CLRRTS) << command;
    }
}

// A transfer runs as a job: while it runs, its commands are greyed and find nothing to do,
// cancel stops the transfer instead of the dialog, and its end gives everything back.
TEST_F(MainDialogControllerTest, ATransferIsAJobThatCancelStops) {
    Build();
    Init();
    testing::TemporaryDirectory directory;
    chooser.answer = directory.File("alpen.wht");
    testing::WriteBytes(chooser.answer, "Lauf-Lillinghof,EDQI\r\n");
    controller->OnCommand(IDC_CHOOSE);
    const std::set<int> busy(std::begin(kBusyDisabledIds), std::end(kBusyDisabledIds));
    EXPECT_EQ(busy, (std::set<int>{102, 116, 117, 118, 119, 123}));

    controller->OnCommand(IDC_REPLACE);
    ASSERT_TRUE(jobs.JobPending());
    EXPECT_TRUE(controller->TransferRunning());
    EXPECT_EQ(dialog.disabled, busy);
    for (int id : busy) controller->OnCommand(id);
    EXPECT_FALSE(controller->ReceiveEnabled());
    EXPECT_THAT(chooser.requests.size(), 1u);
    controller->OnCommand(IDC_CANCEL);
    EXPECT_FALSE(dialog.ended);

    jobs.RunAll();
    EXPECT_FALSE(controller->TransferRunning());
    EXPECT_THAT(dialog.disabled, IsEmpty());
    EXPECT_TRUE(controller->ReceiveEnabled());
    EXPECT_EQ(Log().back(), "Abbruch durch Benutzer nach 0 S\xE4tzen");
    EXPECT_EQ(device.written, "");
    EXPECT_EQ(device.escapes.back(), CLRRTS);
    controller->OnCommand(IDC_CANCEL);
    EXPECT_TRUE(dialog.ended);
}

// A read whose event mask fails shows its box once: the ticks that the box's loop delivers
// read nothing, and the ticks after it do not report the same fault again.
TEST_F(MainDialogControllerTest, AFailingReadShowsOneBoxWhileTicksKeepComing) {
    Build();
    Init();
    device.failing.insert(DeviceStep::SetEventMask);
    int readsWhileOpen = 0;
    messages.whileOpen = [&] {
        const int before = device.CallCount("ReadByte");
        for (int tick = 0; tick < 5; ++tick) controller->OnTimer();
        readsWhileOpen += device.CallCount("ReadByte") - before;
    };
    for (int tick = 0; tick < 5; ++tick) controller->OnTimer();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "SetCommMask");
    EXPECT_EQ(readsWhileOpen, 0);
    EXPECT_EQ(device.CallCount("ReadByte"), 5);
}

// A pulled adapter: the loss is logged once, the port is tried again every 2 s without a box,
// and once it opens the log says so and reading goes on.
TEST_F(MainDialogControllerTest, ALostLineIsOpenedAgainQuietlyWhenTheDeviceIsBack) {
    Build();
    Init();
    device.lineLost = true;
    device.failing.insert(DeviceStep::Open);
    const auto ticks = [this](int count) {
        for (int tick = 0; tick < count; ++tick, clock.Advance(PollPeriodMs)) controller->OnTimer();
    };
    ticks(100);
    EXPECT_EQ(std::count(Log().begin(), Log().end(), "Verbindung zum Ger\xE4t verloren"), 1);
    EXPECT_EQ(device.CallCount("Open "), 3);  // at the start, then after 2 and 4 s
    EXPECT_EQ(controller->Port(), nullptr);
    EXPECT_THAT(messages.shown, IsEmpty());

    device.failing.erase(DeviceStep::Open);
    device.lineLost = false;
    ticks(40);
    EXPECT_EQ(Log().back(), "Verbindung wiederhergestellt");
    device.Feed(kStatusFrame);
    controller->OnTimer();
    EXPECT_EQ(Log().back().rfind("Reading     1 Satznr 2", 0), 0u);
}

TEST_F(MainDialogControllerTest, AWaypointUploadWithoutAFileLeavesReceptionAsItWas) {
    Build();
    Init();
    controller->OnCommand(IDC_RUN);

    controller->OnCommand(IDC_UPDATE);
    controller->OnCommand(IDC_REPLACE);

    EXPECT_FALSE(controller->ReceiveEnabled());
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(device.written, "");
    EXPECT_THAT(device.escapes, IsEmpty());
}

}  // namespace
}  // namespace zr640
