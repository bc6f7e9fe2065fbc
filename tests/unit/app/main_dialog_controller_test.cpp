// SPDX-License-Identifier: GPL-3.0-or-later
// The main dialog's controller with the real port, event log, telemetry reader, transfers and
// profile file (zr640.ini in a temporary directory) behind it; the dialog, the device, the
// file chooser, the editor, the route dialog's user and the job runner are fakes. Each row is
// a course of commands and ticks; what every step did to the device, the dialog and zr640.ini
// is compared with tests/data/app/controller.log. After a deliberate change, run with
// ZR640_REGENERATE_GOLDEN=1 and review the diff.
#include "app/main_dialog_controller.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <stdexcept>
#include <utility>

#include "app/log_text.h"
#include "config/configuration.h"
#include "failing_profile_file.h"
#include "fake_dialog_controls.h"
#include "manual_job_runner.h"
#include "recording_clipboard.h"
#include "route_chooser_text.h"
#include "test_files.h"
#include "transcript.h"
#include "zr640_version.h"
#if defined(_WIN32)
#include "backends/win32/win32_profile_file.h"
using PlatformProfileFile = zr640::platform::Win32ProfileFile;
#else
#include "backends/posix/ini_profile_file.h"
using PlatformProfileFile = zr640::platform::IniProfileFile;
#endif

namespace zr640 {
namespace {

namespace fs = std::filesystem;
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
        std::string shown = r.title + ", " + r.initialDirectory;
        for (const auto& [description, pattern] : r.filters) {
            shown += ", " + description + " " + pattern;
        }
        const bool save = r.purpose == platform::FileChooserPurpose::Save;
        Line(save ? "saver" : "chooser", save ? shown + ", " + r.fileName : shown);
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
        if (config.ConfigFilePath.empty()) config.ConfigFilePath = ini;
        controller.emplace(config, ControllerServices{device, *this, *this, clock, jobs, clipboard,
                                                      convention, profile, *this});
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
    // On entry `index` of the log, which the press before has selected.
    void DoubleClick(int index) {
        dialog.list.SetCurSel(index), controller->OnLogDoubleClick();
        Say("double-click on " + testing::Escaped(dialog.list.entries.at(index)));
    }
    void Finish() { jobs.Finish(), Say("the job and what it posted run"); }
    // The log's context menus as they open, and the system menu's entries: a greyed entry in
    // brackets, a separator as "-".
    void Menus() {
        const auto show = [this](const char* which, const std::vector<MenuEntry>& entries) {
            std::string shown;
            for (const MenuEntry& e : entries) {
                const std::string text = e.id == 0 ? "-" : std::to_string(e.id) + " " + e.text;
                shown += (e.enabled ? text : "(" + text + ")") + " | ";
            }
            Line(which, shown);
        };
        show("context menu", controller->OpenLogMenu(Menu::LogContext));
        controller->CloseLogMenu(0);
        show("context menu with About", controller->OpenLogMenu(Menu::LogContextWithAbout));
        controller->CloseLogMenu(0);
        show("system menu", controller->SystemMenu());
        Say("menus");
    }
    // The menu opened on the selected entry, the log grown meanwhile, then `id` chosen.
    void MenuWhileLogging(int id) {
        controller->OpenLogMenu(Menu::LogContext);
        dialog.log.Append("logged while the menu was open");
        controller->CloseLogMenu(id);
        Say("menu command " + std::to_string(id) + " after the log grew");
    }
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
                     testing::Escaped(box.caption) + "]", box.text);
        }
        for (const std::string& bytes : device.writes) Line("tx", bytes);
        for (const std::string& title : dialog.titles) Line("title", title);
        for (const std::string& shown : dialog.taskbar.shown) Line("taskbar", shown);
        for (const std::string& text : clipboard.texts) Line("clipboard", text);
        dialog.titles.clear(), dialog.taskbar.shown.clear(), clipboard.texts.clear();
        // Windows writes no blank line between sections, our INI code does.
        const std::string now = testing::Replaced(testing::ReadWholeFile(ini), "\r\n\r\n", "\r\n");
        if (std::exchange(iniSeen_, now) != now) Line("zr640.ini", now);
        story_ += std::exchange(events_, "") + "\n";
        device.calls.clear(), device.writes.clear(), dialog.checks.clear(), dialog.textsSet.clear();
        sinceMs_ = clock.NowMs();
    }
    void Line(const std::string& what, const std::string& bytes) {
        events_ += "\n  " + what + " " + testing::Escaped(bytes);
    }
    // The temporary directory, the version and the time a saved log is named after, replaced.
    std::string Story() {
        std::string story = testing::Replaced(story_, testing::Escaped(file), "<file>");
        story = testing::Replaced(story, testing::Escaped(directory.File("")), "<dir>/");
        story = testing::Replaced(story, testing::Escaped(directory.Path()), "<dir>");
        story = testing::Replaced(story, ZR640_VERSION, "<version>");
        return std::regex_replace(story, std::regex("zr640-\\d{4}(-\\d\\d){2}-\\d{6}\\.txt"),
                                  "zr640-<time>.txt");
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
    testing::RecordingClipboard clipboard;
    platform::TextConvention convention = platform::kLinuxTextConvention;
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
        {"Debug closes the port and stops the ticks at once, and sends against no port, as it "
         "always has", [](Scene& s) {
             s.config.Debug = true, s.Start(), s.Commands({IDC_SET_TASK}), s.Finish(), s.Destroy();
         }},
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
        {"without a line a transfer tries the port once, quietly, then says so and sends "
         "nothing; the ticks go on trying", [](Scene& s) {
             s.Start(), s.Choose(s.file), s.device.lineLost = true, s.device.failing = {"Open"};
             s.Ticks(1), s.Commands({IDC_SET_TASK}), s.Finish(), s.Commands({IDC_UPDATE});
             s.Finish(), s.device.failing.clear(), s.device.lineLost = false, s.Ticks(40); }},
        {"a transfer finds the line back before the ticks do, and goes out over it",
         [](Scene& s) {
             s.Start(), s.device.lineLost = true, s.Ticks(1), s.device.lineLost = false;
             s.device.replies = {{"$KTWPS,1,0\r\n"}}, s.Commands({IDC_SET_TASK}), s.Finish(); }},
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
             s.Route({"Bayreuth,EDQD"}), s.Start();
             s.dialog.log.Append("Reading     1 Satznr 2\nStreckenpunkt: 1\nStreckenpunkt 1 B\n");
             for (int entry : {1, 3, 4, 5, 0}) s.DoubleClick(entry);
             s.Commands({IDM_CHOOSE_ROUTE}); }},
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
             s.DoubleClick(1), s.Finish();
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
             s.DoubleClick(0), s.Commands({IDM_CHOOSE_ROUTE});
             s.Finish(), s.Choose(s.missing), s.Commands({IDM_CHOOSE_ROUTE}), s.Finish();
             s.Choose(s.file), s.Commands({IDM_CHOOSE_ROUTE, IDC_RUN, IDC_CANCEL}), s.Finish();
         }},
        {"the menus: \"Zeile kopieren\" wants a selected entry, \"Strecke w\u00e4hlen\" waits for "
         "the end of a transfer, the log is copied meanwhile", [](Scene& s) {
             s.Start(), s.Menus(), s.dialog.list.selection = -1, s.Menus();
             s.Choose(s.file), s.Commands({IDC_REPLACE}), s.Menus(), s.Commands({IDM_COPY_ALL});
             s.Finish(), s.Menus(); }},
        {"on Windows the log is handed out in Windows-1252 with CR LF, a sentence's own CR "
         "dropped; the menu copies the entry it opened on, Ctrl+C the selected one", [](Scene& s) {
             s.convention = platform::kWindowsTextConvention, s.Start();
             s.dialog.log.Append("WP   1: $KTWPU,Hetzleser,EDQX,,,,,,,*4B\r\n$KTWPA,1*45\r\n");
             s.dialog.log.Append("Breite: 48.123457 48\xB0" "07'24\" N Abbruch nach 0 S\xE4tzen");
             s.Commands({IDM_COPY_ALL}), s.dialog.list.SetCurSel(2);
             s.MenuWhileLogging(IDM_COPY_LINE);
             s.Commands({IDM_COPY_LINE}); }},
        {"on Linux in UTF-8 with LF", [](Scene& s) {
             s.Start(), s.dialog.log.Append("$KTWPO*1A\r\n\x84S\xFC" "d\x93 48\xB0 \x81\n");
             s.Commands({IDM_COPY_ALL}), s.Commands({IDM_COPY_LINE}); }},
        {"an empty log copies as no text, no selected entry as nothing; a busy clipboard says so",
         [](Scene& s) {
             s.Start(), s.dialog.list.entries.clear(), s.Commands({IDM_COPY_ALL, IDM_COPY_LINE});
             s.clipboard.busy = true, s.Commands({IDM_COPY_ALL}); }},
        {"\"Protokoll speichern\" offers a file named after the time in the working directory; a "
         "cancelled chooser writes nothing, a file that cannot be written says why",
         [](Scene& s) {
             s.config.ConfigFilePath = s.directory.File("zr640.ini");
             s.convention = platform::kWindowsTextConvention, s.Start();
             s.dialog.log.Append("$KTWPO*1A\r\n\xE4\xB0\n"), s.Say("logged");
             s.answer = s.directory.File("protokoll.txt"), s.Commands({IDM_SAVE_LOG});
             s.Line("file", testing::ReadWholeFile(s.answer)), s.Say("the file holds");
             s.answer = "", s.Commands({IDM_SAVE_LOG});
             s.answer = s.directory.File("fehlt/protokoll.txt"), s.Commands({IDM_SAVE_LOG});
             const auto files = std::distance(fs::directory_iterator(s.directory.Path()),
                                              fs::directory_iterator());
             s.Line("files", std::to_string(files));
             s.Say("the directory holds"); }},
        {"\"\u00dcber zr640\" names the version, what it does, the configuration file and the "
         "licence", [](Scene& s) {
             s.config.ConfigFilePath = "/home/pilot/Fl\xC3\xBCge/zr640.ini";
             s.Start(), s.Commands({IDM_ABOUT}); }},
        {"an upload counts the acknowledged records in the title, from the fifth on with the time "
         "left, and on the taskbar button; both are clear again at its end", [](Scene& s) {
             std::string records, replies;
             for (int n = 1; n <= 8; ++n) records += "Punkt" + std::to_string(n) + ",P\r\n";
             testing::WriteBytes(s.file, records);
             s.device.replies.push_back({"$KTWPO\r\n", 100});
             for (int n = 1; n <= 8; ++n) {
                 s.device.replies.push_back({"$KTWPA," + std::to_string(n) + "\r\n", 1500});
             }
             s.Start(), s.Choose(s.file), s.Commands({IDC_REPLACE}), s.Finish(); }},
        {"a task names itself in the title; a task nobody acknowledged, an upload cancelled and "
         "one aborted show the taskbar's error state for 3 s; the title is ZR640 again after each",
         [](Scene& s) {
             s.Route({"Bayreuth,EDQD"}), s.Start(), s.Commands({IDC_SET_TASK}), s.Finish();
             s.Choose(s.file), s.Commands({IDC_UPDATE, IDC_CANCEL}), s.Finish();
             s.device.replies.push_back({"$KTWPO\r\n", 100});
             s.Commands({IDC_UPDATE}), s.Finish(); }},
    };
    std::string story;
    for (const auto& [name, play] : rows) {
        Scene scene;
        play(scene);
        story += "== " + std::string(name) + "\n" + scene.Story();
    }
    testing::ExpectGolden(ZR640_APP_GOLDEN_DIR "/controller.log", story);
}

// The pace since record 0 was reported 1000 ms into the clock gives the time left.
TEST(MainDialogController, TheTitleSaysHowFarAndFromTheFifthRecordOnHowLong) {
    const struct {
        const char* activity;
        int total, done;
        std::uint32_t elapsedMs;
        const char* title;
    } rows[] = {
        {"Strecke setzen", 0, 0, 0, "ZR640 \x96 Strecke setzen"},
        {"Replace", 1000, 0, 0, "ZR640 \x96 Replace 0 von 1000"},
        {"Replace", 1000, 4, 2000, "ZR640 \x96 Replace 4 von 1000"},
        {"Replace", 1000, 137, 20566, "ZR640 \x96 Replace 137 von 1000 (noch 2:10)"},
        {"Update", 5000, 5, 3734, "ZR640 \x96 Update 5 von 5000 (noch 1:02:10)"},
        {"Update", 8, 8, 12000, "ZR640 \x96 Update 8 von 8"},
    };
    for (const auto& row : rows) {
        const platform::ProgressReport report{row.activity, row.total, row.done,
                                              1000 + row.elapsedMs};
        EXPECT_EQ(ProgressTitle(report, TimeLeftMs(1000, report)), row.title);
    }
}

TEST(MainDialogController, ASavedLogIsNamedAfterTheLocalTimeInTheFolderOfTheStart) {
    std::tm early{};
    early.tm_year = 124, early.tm_mon = 2, early.tm_mday = 7, early.tm_hour = 9, early.tm_min = 5;
    early.tm_sec = 2;
    EXPECT_EQ(LogFileName(early), "zr640-2024-03-07-090502.txt");
    // Where the save chooser starts: the folder of the configuration file.
    const std::pair<const char*, const char*> folders[] = {
        {"C:\\Flug\\zr640.ini", "C:\\Flug"}, {"C:\\zr640.ini", "C:\\"}, {"/zr640.ini", "/"},
        {"/home/p/zr640.ini", "/home/p"}, {"zr640.ini", "."}};
    for (const auto& [path, folder] : folders) EXPECT_EQ(FolderOf(path), folder) << path;
}

#ifndef _WIN32
// A disk that fills up takes the buffered rest only at the close: the file is said to be short.
TEST(MainDialogController, ASavedLogThatDoesNotFitSaysSo) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    EXPECT_EQ(WriteWholeFile("/dev/full", "$KTWPO*1A\r\n"),
              "Auf dem Datentr\xE4ger ist kein Platz mehr. Die Datei ist unvollst\xE4ndig.");
}
#endif

}  // namespace
}  // namespace zr640
