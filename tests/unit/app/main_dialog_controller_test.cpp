// The main dialog's controller with the real port, event log, telemetry reader, transfers and
// profile file (zr640.ini in a temporary directory) behind it; the dialog, the device, the
// file chooser, the editor, the route dialog's user and the job runner are fakes. Each row is
// a course of commands and ticks; what every step did to the device, the dialog and zr640.ini
// is compared with tests/data/app/controller.log. After a deliberate change, run with
// ZR640_REGENERATE_GOLDEN=1 and review the diff.
#include "app/main_dialog_controller.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <utility>

#include "config/configuration.h"
#include "failing_profile_file.h"
#include "fake_dialog_controls.h"
#include "manual_job_runner.h"
#include "route_chooser_text.h"
#include "test_files.h"
#include "transcript.h"
#if defined(_WIN32)
#include "backends/win32/win32_profile_file.h"
using PlatformProfileFile = zr640::platform::Win32ProfileFile;
#else
#include "backends/posix/ini_profile_file.h"
using PlatformProfileFile = zr640::platform::IniProfileFile;
#endif

namespace zr640 {
namespace {

using namespace std::string_literals;

// A device status frame as the instrument sends it.
const std::string kStatusFrame("\x24\x41\x19\x00\x02\x41\x31\x32\x33\x34\x00\x03\x1F\x19\xFE\xDD"
                               "\xFF\x78\x00\x57\x00\x82\x7B\x53\xD1", 25);
const std::string kOn[] = {"off", "on"};

// The dialog over the controller, and the user at the file chooser (who cancels while `answer`
// is empty), at the editor and in the route dialog (who takes the steps of `routeSteps`).
class Scene final : public platform::FileChooser,
                    public platform::EditorLauncher,
                    public RouteDialog {
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
    // The steps of testing::Take, and "ok" (which ends the dialog when the route is taken) or
    // "cancel".
    void Run(RouteChooser& c, const std::function<bool()>& accept) override {
        Line("route dialog", testing::Shown(c));
        for (const std::string& step : routeSteps) {
            if (step == "ok" || step == "cancel") {
                const bool taken = step == "ok" && accept();
                Line("route " + step, taken ? "taken" : "not taken");
                if (taken || step == "cancel") return;
                continue;
            }
            testing::Take(c, step);
            Line("route " + testing::Escaped(step), testing::Shown(c));
        }
    }

    // The route of the configuration, and the same in zr640.ini.
    void Route(std::initializer_list<const char*> points) {
        for (const char* point : points) {
            const std::string key = "StreckenPunkt" + std::to_string(config.RouteCount + 1);
            iniText += key + "=" + point + "\r\n";
            ParseWaypointFields(point, config.Route.slot.at(config.RouteCount++), config);
        }
    }
    void Start() {
        testing::WriteBytes(ini, iniSeen_ = iniText);
        config.ConfigFilePath = ini;
        controller.emplace(config, ControllerServices{device, *this, *this, clock, jobs, profile,
                                                      *this});
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
    void DoubleClick(const char* entry) {
        controller->OnLogDoubleClick(entry), Say("double-click on " + testing::Escaped(entry));
    }
    void Finish() { jobs.Finish(), Say("the job and what it posted run"); }
    void Destroy() { controller->OnDestroy(), Say("destroy"); }

    // The step, the time it took, how often the device saw each call and the indicators each
    // change; then the dialog's state, and its new texts, log lines, boxes and writes.
    void Say(const std::string& step) {
        std::map<std::string, int> seen;
        for (const std::string& call : device.calls) ++seen[call];
        for (const auto& [id, on] : dialog.checks) ++seen[(id == IDC_TX ? "TX " : "RX ") + kOn[on]];
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
        // Windows writes no blank line between sections, our INI code does.
        const std::string now = testing::Replaced(testing::ReadWholeFile(ini), "\r\n\r\n", "\r\n");
        if (std::exchange(iniSeen_, now) != now) Line("zr640.ini", now);
        story_ += std::exchange(events_, "") + "\n";
        device.calls.clear(), device.writes.clear(), dialog.checks.clear();
        sinceMs_ = clock.NowMs();
    }
    void Line(const std::string& what, const std::string& bytes) {
        events_ += "\n  " + what + " " + testing::Escaped(bytes);
    }
    std::string Story() {
        std::string named = testing::Replaced(story_, testing::Escaped(file), "<file>");
        named = testing::Replaced(named, testing::Escaped(missing), "<missing file>");
        return testing::Replaced(named, testing::Escaped(ini), "<zr640.ini>");
    }

    testing::TemporaryDirectory directory;
    std::string file = directory.File("alpen.wht");  // a waypoint file to choose
    std::string missing = directory.File("fehlt.wht");
    std::string ini = directory.File("zr640.ini");
    std::string iniText = "[Strecke]\r\n";
    PlatformProfileFile realProfile;
    testing::FailingProfileFile profile{realProfile};
    std::vector<std::string> routeSteps;
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
    std::string iniSeen_;
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
        {"a failing read shows one box; the ticks of its own loop read nothing", [](Scene& s) {
             s.Start(), s.device.failing = {"SetEventMask"};
             s.boxes.whileOpen = [&s] { for (int i = 0; i < 5; ++i) s.controller->OnTimer(); };
             s.Ticks(5); }},
        {"a lost line is logged, tried again every 2 s without a box, and read once it is back",
         [](Scene& s) {
             s.Start(), s.device.lineLost = true, s.device.failing = {"Open"}, s.Ticks(100);
             s.device.failing.clear(), s.device.lineLost = false, s.Ticks(40);
             s.device.Feed(kStatusFrame), s.Ticks(1); }},
        {"without a line a transfer tries the port once, quietly, then says so and sends "
         "nothing; the ticks go on trying", [](Scene& s) {
             s.Start(), s.Choose(s.file), s.device.lineLost = true, s.device.failing = {"Open"};
             s.Ticks(1), s.Commands({IDC_SET_TASK}), s.Finish(), s.Commands({IDC_UPDATE});
             s.Finish(), s.device.failing.clear(), s.device.lineLost = false, s.Ticks(40); }},
        {"a transfer finds the line back before the ticks do, and goes out over it",
         [](Scene& s) {
             s.Start(), s.device.lineLost = true, s.Ticks(1), s.device.lineLost = false;
             s.device.replies = {{"$KTWPS,1,0\r\n"}}, s.Commands({IDC_SET_TASK}), s.Finish(); }},
        {"Debug sends against no port, as it always has", [](Scene& s) {
             s.config.Debug = true, s.Start(), s.Commands({IDC_SET_TASK}), s.Finish(); }},
        {"a line lost under a transfer is logged once; the ticks look for it again",
         [](Scene& s) {
             s.Start(), s.Choose(s.file), s.device.replies = {{"$KTWPO\r\n"}, {"$KT", 300, true}};
             s.Commands({IDC_REPLACE}), s.Finish(), s.device.lineLost = false, s.Ticks(41); }},
        {"a transfer that throws ends with RTS low, a line and its end", [](Scene& s) {
             s.Start(), s.device.onCall = [](const std::string& call) {
                 if (call == "Write") throw std::runtime_error("Schreibfehler");
             };
             s.Commands({IDC_SET_TASK}), s.Finish(); }},
        {"a tick under a transfer puts TX out and the next sentence lights it again; RX is "
         "posted once", [](Scene& s) {
             s.Route({"Bayreuth,EDQD"}), s.Start();
             s.device.onCall = [&s](const std::string& call) {
                 if (call == "Write") s.controller->OnTimer();
             };
             s.device.replies = {{"$KTWPE\r\n"}, {"$KTWPE\r\n"}, {"$KTWPS,1,1\r\n"}};
             s.Commands({IDC_SET_TASK}), s.Finish(); }},
        {"the dialog destroyed under a transfer: the timer stops, the job ends, and nothing it "
         "reports is shown", [](Scene& s) {
             s.Start(), s.Choose(s.file), s.Commands({IDC_REPLACE}), s.Destroy(); }},
        {"a double-click on a log line that is no route point does nothing; on one, and the "
         "command of the menus, ask for a waypoint file first", [](Scene& s) {
             s.Route({"Bayreuth,EDQD"}), s.Start(), s.DoubleClick("Reading     1 Satznr 2");
             s.DoubleClick("Streckenpunkt: 1"), s.DoubleClick("Streckenpunkt 1 Bayreuth");
             s.DoubleClick("Streckenpunkt 1: Bayreuth,EDQD"), s.Commands({IDM_CHOOSE_ROUTE}); }},
        {"the route dialog offers what the upload would send and opens with the route in use; "
         "OK writes the keys, removes those above, logs the route, and the next task sends it",
         [](Scene& s) {
             s.config.MaxLaengeName1 = 12;
             s.Route({"  Lauf-Lillinghof  ,EDQI", "Oschersleben,EDOL", "Hetzleser Berg,EDQX",
                      "Bayreuth,EDQD"});
             testing::WriteBytes(s.file, "M\xFCnster S\xFC" "d,EDDG,N\r\n\r\nBayreuth,EDQD\r\n" +
                 std::string(512, 'x') + "\r\n\xD6hringen,EDTX\r\n" + std::string(250, 'n') +
                 ",ABCDEF\r\nNull\0byte,X\r\nLAUF-LILLINGHOF,EDQI,,\r\n"s);
             s.Start(), s.Choose(s.file);
             s.routeSteps = {"filter \xDC", "add", "point 0", "remove", "remove", "remove", "add",
                             "up", "ok"};
             s.DoubleClick("Streckenpunkt 2: Oschersleben,EDOL"), s.Finish();
             s.Commands({IDC_SET_TASK}), s.Finish(); }},
        {"a write that fails says why and leaves file and memory as they were; Abbrechen changes "
         "nothing; the task sends the route of before", [](Scene& s) {
             s.Route({"Bayreuth,EDQD", "Oschersleben,EDOL"}), s.Start(), s.Choose(s.file);
             s.profile.failingWrite = 1;
             s.routeSteps = {"point 0", "remove", "ok", "cancel"};
             s.Commands({IDM_CHOOSE_ROUTE}), s.Finish();
             s.routeSteps = {"add", "cancel"};
             s.Commands({IDM_CHOOSE_ROUTE}), s.Finish(), s.Commands({IDC_SET_TASK}), s.Finish(); }},
        {"\"Strecke setzen\" reads [Strecke] again: an edited route is logged before the banner "
         "and sent, an unchanged one is not logged again, and an unreadable zr640.ini keeps the "
         "route in memory", [](Scene& s) {
             s.Route({"Bayreuth,EDQD"}), s.Start();
             testing::WriteBytes(s.ini, "[Strecke]\r\nStreckenPunkt2=Oschersleben,EDOL\r\n"
                                        "StreckenPunkt3=  Hetzleser Berg ,EDQX\r\n");
             s.Commands({IDC_SET_TASK}), s.Finish(), s.Commands({IDC_SET_TASK}), s.Finish();
             std::filesystem::remove(s.ini), std::filesystem::create_directory(s.ini);
             s.Commands({IDC_SET_TASK}), s.Finish(), s.Choose(s.file);
             s.Commands({IDM_CHOOSE_ROUTE}); }},
        {"while a transfer runs the route dialog does not open; a waypoint file that cannot be "
         "opened is said so; Escape while the records are read stops the reading, not the "
         "dialog, and no route dialog opens", [](Scene& s) {
             s.Route({"Bayreuth,EDQD"}), s.Start(), s.Choose(s.file), s.Commands({IDC_SET_TASK});
             s.routeSteps = {"cancel"};
             s.DoubleClick("Streckenpunkt 1: Bayreuth,EDQD"), s.Commands({IDM_CHOOSE_ROUTE});
             s.Finish(), s.Choose(s.missing), s.Commands({IDM_CHOOSE_ROUTE}), s.Finish();
             s.Choose(s.file), s.Commands({IDM_CHOOSE_ROUTE, IDC_RUN, IDC_CANCEL}), s.Finish();
         }},
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
