// The main dialog's controller with the real port, event log, telemetry reader and transfers
// behind it; the dialog, the device, the file chooser, the editor and the job runner are fakes.
// Each row is a course of commands and ticks; what every step did to the device and the dialog
// is compared with tests/data/app/controller.log. After a deliberate change, run with
// ZR640_REGENERATE_GOLDEN=1 and review the diff.
#include "app/main_dialog_controller.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <utility>

#include "config/configuration.h"
#include "fake_dialog_controls.h"
#include "manual_job_runner.h"
#include "test_files.h"
#include "transcript.h"

namespace zr640 {
namespace {

// A device status frame as the instrument sends it.
const std::string kStatusFrame("\x24\x41\x19\x00\x02\x41\x31\x32\x33\x34\x00\x03\x1F\x19\xFE\xDD"
                               "\xFF\x78\x00\x57\x00\x82\x7B\x53\xD1", 25);
const std::string kOn[] = {"off", "on"};

// The dialog over the controller, and the user at the file chooser (who cancels while `answer`
// is empty) and at the editor.
class Scene final : public platform::FileChooser, public platform::EditorLauncher {
public:
    Scene() { testing::WriteBytes(file, "Lauf-Lillinghof,EDQI\r\n"); }
    bool ChooseFile(const platform::FileChooserRequest& r, std::string& chosen) override {
        Line("chooser", r.title + ", " + r.initialDirectory + ", " + r.filters.at(0).first + " " +
                            r.filters.at(0).second + ", " + r.filters.at(1).first + " " +
                            r.filters.at(1).second);
        chosen = answer.empty() ? chosen : answer;
        return !answer.empty();
    }
    void OpenInEditor(const char* path) override { Line("editor", path); }

    void Route(std::initializer_list<const char*> points) {
        for (const char* point : points) {
            ParseWaypointFields(point, config.Route.slot.at(config.RouteCount++), config);
        }
    }
    void Start() {
        controller.emplace(config, ControllerServices{device, *this, *this, clock, jobs});
        controller->OnInitDialog(dialog);
        Say("start");
    }
    void Ticks(int count) {
        for (int i = 0; i < count; ++i, clock.Advance(PollPeriodMs)) controller->OnTimer();
        Say("ticks " + std::to_string(count));
    }
    void Commands(std::initializer_list<int> ids) {
        std::string step = "command";
        for (int id : ids) controller->OnCommand(id), step.append(" ").append(std::to_string(id));
        Say(step);
    }
    void Choose(const std::string& chosen) { answer = chosen, Commands({IDC_CHOOSE}); }
    void Finish() { jobs.Finish(), Say("the job and what it posted run"); }
    void Destroy() { controller->OnDestroy(), Say("destroy"); }

    // The step, the time it took, how often the device saw each call and the indicators each
    // change; then the dialog's state, and its new texts, log lines, boxes and writes.
    void Say(const std::string& step) {
        std::map<std::string, int> seen;
        for (const std::string& call : device.calls) ++seen[call];
        for (const auto& [id, on] : dialog.checks) ++seen[(id == IDC_TX ? "TX " : "RX ") + kOn[on]];
        for (const int id : dialog.textsSet) ++seen["text " + std::to_string(id) + " set"];
        story_ += step + ", " + std::to_string(clock.NowMs() - sinceMs_) + " ms:";
        for (const auto& [what, count] : seen) story_ += " " + what + " x" + std::to_string(count);
        story_ += "\n  reception " + kOn[controller->ReceiveEnabled()] + ", timer " +
                  (dialog.timerRunning ? std::to_string(dialog.timerPeriodMs) : "off") +
                  (jobs.JobPending() ? ", job waiting" : "") + (dialog.ended ? ", ended" : "") +
                  ", log selection " + std::to_string(dialog.list.selection) + " extent " +
                  std::to_string(dialog.list.horizontalExtent) + ", greyed:";
        for (int id : dialog.disabled) story_ += " " + std::to_string(id);
        for (const auto& [id, text] : dialog.itemText) {
            if (std::exchange(texts_[id], text) != text) Line("text " + std::to_string(id), text);
        }
        for (; logged_ < dialog.list.entries.size(); ++logged_) {
            Line("log", dialog.list.entries[logged_]);
        }
        for (; boxed_ < boxes.shown.size(); ++boxed_) {
            const testing::ShownMessage& box = boxes.shown[boxed_];
            Line("box " + std::to_string(box.style) + (box.beepedBefore ? " beep [" : " [") +
                     box.caption + "]", box.text);
        }
        for (const std::string& bytes : device.writes) Line("tx", bytes);
        story_ += std::exchange(events_, "") + "\n";
        device.calls.clear(), device.writes.clear(), dialog.checks.clear(), dialog.textsSet.clear();
        sinceMs_ = clock.NowMs();
    }
    void Line(const std::string& what, const std::string& bytes) {
        events_ += "\n  " + what + " " + testing::Escaped(bytes);
    }
    std::string Story() { return testing::Replaced(story_, testing::Escaped(file), "<file>"); }

    testing::TemporaryDirectory directory;
    std::string file = directory.File("alpen.wht");  // a waypoint file to choose
    testing::RecordingMessageBox boxes;
    testing::ManualClock clock;
    testing::FakeSerialDevice device{&clock};
    testing::FakeDialogControls dialog;
    testing::ManualJobRunner jobs;
    AppConfig config;
    std::optional<MainDialogController> controller;
    std::string answer;

private:
    std::string story_;
    std::string events_;  // the lines of the step under way
    std::map<int, std::string> texts_;  // as last told
    std::uint32_t sinceMs_ = clock.NowMs();
    std::size_t logged_ = 0;
    std::size_t boxed_ = 0;
};

TEST(MainDialogController, EveryCourseOfCommandsAndTicksGivesItsGoldenSteps) {
    const std::pair<const char*, std::function<void(Scene&)>> rows[] = {
        {"the route listed, the port opened and its input discarded", [](Scene& s) {
             s.Route({"Lauf-Lillinghof,EDQI", "Oschersleben"}), s.Start(); }},
        {"each tick clears TX and reads only while \"Run\" has reception on; a frame cut short "
         "is given up after 20 characters of silence at 300 Bd; the end closes the port",
         [](Scene& s) {
             s.config.BaudRate = 300, s.Start(), s.device.Feed(kStatusFrame);
             s.Commands({IDC_RUN}), s.Ticks(2), s.Commands({IDC_RUN}), s.Ticks(1);
             s.device.Feed("$A"), s.Ticks(1), s.Destroy(); }},
        {"Debug closes the port and stops the ticks at once", [](Scene& s) {
             s.config.Debug = true, s.Start(), s.Destroy(); }},
        {"a failed opening leaves no port to read or close", [](Scene& s) {
             s.device.failing = {"Open"}, s.Start(), s.Ticks(1), s.Destroy(); }},
        {"Enter, the controls that are no buttons and unknown ids do nothing; Cancel ends",
         [](Scene& s) {
             s.Start(), s.Commands({0, IDC_ENTER, 3, 101, 103, 104, 109, 110, 120, 0xFFFF});
             s.Commands({IDC_CANCEL}); }},
        {"a cancelled choice and a path over 259 characters keep the earlier one; Edit without a "
         "file complains", [](Scene& s) {
             const std::string longest = "/" + std::string(kMaxWaypointPathLength - 5, 'w') + ".wht";
             s.Start(), s.Commands({IDC_EDIT}), s.Choose(""), s.Choose(longest);
             s.Choose(longest + "x"), s.Choose(""), s.Commands({IDC_EDIT}); }},
        {"a transfer is a job: its commands greyed and idle, Cancel stops it, not the dialog",
         [](Scene& s) {
             s.Start(), s.Choose(s.file), s.Commands({IDC_REPLACE});
             s.Commands({IDC_RUN, IDC_UPDATE, IDC_REPLACE, IDC_CHOOSE, IDC_EDIT, IDC_SET_TASK});
             s.Commands({IDC_CANCEL}), s.Finish(), s.Commands({IDC_CANCEL}); }},
        {"reception is on again after every transfer, also when \"Run\" had switched it off",
         [](Scene& s) {
             s.Route({"Bayreuth,EDQD"}), s.Start(), s.Commands({IDC_RUN, IDC_UPDATE});
             s.Choose(s.file), s.Commands({IDC_SET_TASK}), s.Finish();
             for (int command : {IDC_UPDATE, IDC_REPLACE}) s.Commands({IDC_RUN, command}), s.Finish();
         }},
        {"a failing event mask shows its box at the start alone; the ticks of a box's own loop "
         "read nothing", [](Scene& s) {
             s.boxes.whileOpen = [&s] { for (int i = 0; i < 5; ++i) s.controller->OnTimer(); };
             s.device.failing = {"SetEventMask"}, s.Start(), s.Ticks(5); }},
        {"the byte display and the lamps are written when they change; after the user has "
         "clicked a lamp or typed into the display, the next tick writes them again", [](Scene& s) {
             s.Start(), s.Ticks(5), s.device.Feed("ab"), s.Ticks(1), s.Ticks(1), s.Ticks(1);
             s.Commands({IDC_TX}), s.Ticks(1), s.Commands({IDC_BYTE_DISPLAY}), s.Ticks(1);
             s.Commands({IDC_RX}), s.Ticks(1); }},
        {"while the line is fine it is probed every 500 ms: a loss is logged within that time",
         [](Scene& s) {
             s.Start(), s.Ticks(1), s.device.lineLost = true, s.Ticks(9), s.Ticks(1); }},
        {"a lost line is logged, tried again every 2 s without a box, and read once it is back",
         [](Scene& s) {
             s.Start(), s.device.lineLost = true, s.device.failing = {"Open"}, s.Ticks(100);
             s.device.failing.clear(), s.device.lineLost = false, s.Ticks(40);
             s.device.Feed(kStatusFrame), s.Ticks(1); }},
    };
    std::string story;
    for (const auto& [name, play] : rows) {
        Scene scene;
        play(scene);
        story += "== " + std::string(name) + "\n" + scene.Story();
    }
    testing::ExpectGolden(ZR640_APP_GOLDEN_DIR "/controller.log", story);
}

}  // namespace
}  // namespace zr640
