// SPDX-License-Identifier: GPL-3.0-or-later
// The fault matrix: each row of tests/data/faults/matrix.txt a fault at the instrument, on the
// line, in the configuration or the waypoint file, through the real core against the real
// zr640-sim. What the user saw, what the simulator logged and what it holds against the row's
// golden file (ZR640_REGENERATE_GOLDEN=1 rewrites them: review the diff), every golden file a
// row's; no step holds the dialog beyond its bound, no row grows memory, and no record is
// claimed that the instrument lacks.
// Then scripts/demo, which points the tool at the simulator it starts.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <csignal>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "app/main_dialog_controller.h"
#include "backends/posix/ini_profile_file.h"
#include "backends/posix/posix_serial_device.h"
#include "backends/posix/xdg_editor_launcher.h"
#include "closed_route_dialog.h"
#include "config/configuration.h"
#include "fake_dialog_controls.h"
#include "manual_job_runner.h"
#include "recording_clipboard.h"
#include "platform/quit_request.h"
#include "serial/sentence.h"
#include "sim_process.h"
#include "telemetry/telemetry_reader.h"
#include "test_files.h"
#include "transcript.h"
#include "transfer/transfer.h"

namespace zr640 {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::seconds;
const std::string kFaults = ZR640_FAULTS_DIR "/";

// A line of the table as its cells of words: name | simulator options | steps | bound | frames.
using FaultRow = std::array<std::vector<std::string>, 5>;

std::vector<FaultRow> Matrix() {
    std::vector<FaultRow> rows;
    std::istringstream table(testing::ReadWholeFile(kFaults + "matrix.txt"));
    for (std::string line; std::getline(table, line);) {
        if (line.empty() || line[0] == '#') continue;
        FaultRow& row = rows.emplace_back();
        std::istringstream words(line + " | 0");  // no frames unless the line says so
        std::size_t cell = 0;
        for (std::string word; words >> word && cell < row.size();) {
            if (word == "|") ++cell;
            else row[cell].push_back(word[0] == '@' ? kFaults + word.substr(1) : word);
        }
    }
    return rows;
}

// Puts what a step names where the tool will look: a file from tests/data/faults, a directory,
// 50 MB of empty lines and one record (a megabyte at a time), one line of a megabyte, or nothing.
void Prepare(const std::string& what, const std::string& where) {
    if (what == "dir") {
        fs::create_directory(where);
    } else if (what == "huge") {
        std::ofstream file(where, std::ios::binary);
        for (const std::string block(1 << 20, '\n'); file.tellp() < 50 << 20;) file << block;
        file << "Bayreuth,EDQD\r\n";
    } else if (what == "1mb") {
        testing::WriteBytes(where, std::string(1 << 20, 'A') + "\r\n");
    } else if (!what.empty()) {
        testing::WriteBytes(where, testing::ReadWholeFile(kFaults + what));
    }
}

// The user at the file chooser: chooses `path`, or cancels while it is empty.
struct PathChooser final : platform::FileChooser {
    bool ChooseFile(const platform::FileChooserRequest&, std::string& chosen) override {
        chosen = path.empty() ? chosen : path;
        return !path.empty();
    }
    std::string path;
};

// One row's world: a temporary directory, the simulator, and everything the user could read.
class Scene {
public:
    explicit Scene(const FaultRow& row) {
        if (row[1].empty()) return;
        std::vector<std::string> options = row[1];
        options.insert(options.end(), {"--link", Path("line"), "--store", Path("memory.txt"),
                                       "--log", Path("sim.log")});
        EXPECT_TRUE(sim.Start(options)) << sim.Error();
        if (row[2].at(0).rfind("ticks", 0) != 0) Open();  // else the controller opens it
    }

    void Open() {
        record.device = &device;
        DiscardInput(port = OpenComPort(record, 1, 4800, 'N', 8, 1, 256));
    }

    std::string Path(const std::string& name) const { return directory.File(name); }

    // Runs one step and returns the longest time that one part of it held the thread.
    Clock::duration Run(const std::string& step, int frames) {
        const std::string action = step.substr(0, step.find(':'));
        const std::string what = step.substr(std::min(step.size(), action.size() + 1));
        if (action == "devices") return Devices(what), Clock::duration{};
        if (action == "ticks") return Ticks(what == "offline"), Clock::duration{};
        Prepare(what, Path(action == "ini" ? kConfigFileName : "waypoints.wht"));
        TransferContext context{operation, port, config, Path("waypoints.wht")};
        platform::IniProfileFile profile;
        platform::PosixSerialDevice other(what.empty() ? "" : Path("dev/" + what), Path("dev"));
        ComPort otherRecord;
        otherRecord.device = &other;
        const Clock::time_point start = Clock::now();
        if (action == "telemetry") return PollUntilRead(frames);
        if (action == "ini") LoadConfiguration(profile, directory.Path(), '/', config);
        if (action == "ini") LoadDeviceSetting(profile, config);
        if (action == "task") UploadTask(context);
        if (action == "replace") UploadWaypointFile(UploadMode::Replace, context);
        if (action == "update") UploadWaypointFile(UploadMode::Update, context);
        if (action == "open") OpenComPort(otherRecord, 255, 4800, 'N', 8, 1, 256);
        return Clock::now() - start;
    }

    // Serial ports in the row's own /dev: a link to the simulator's line, a dangling one, and
    // files of these names that are no terminals (as a ttyS without a UART behind it).
    void Devices(const std::string& names) {
        std::error_code again;
        fs::create_directories(Path("dev/serial/by-id"));
        fs::create_symlink(Path("line"), Path("dev/serial/by-id/usb-Adapter-port0"), again);
        fs::create_symlink(Path("dev/ttyUSB7"), Path("dev/serial/by-id/usb-Gone-port0"), again);
        std::istringstream list(names);
        for (std::string name; std::getline(list, name, ',');) {
            testing::WriteBytes(Path("dev/" + name), "");
        }
    }

    // The controller's poll timer until it has lost the line and found it again (at most 10 s),
    // then its "Strecke setzen" over the line it found, with the route that zr640.ini has
    // meanwhile been given. `offline`: while the line is away, the user sends the route and
    // uploads three.wht.
    void Ticks(bool offline) {
        config.ConfigFilePath = Path(kConfigFileName);
        testing::WriteBytes(config.ConfigFilePath, "[Strecke]\r\n");
        platform::IniProfileFile profile;
        testing::ClosedRouteDialog routeDialog;
        MainDialogController controller(config, {device, chooser, editor, clock, jobs, clipboard,
                                                  platform::kLinuxTextConvention, profile,
                                                  routeDialog});
        controller.OnInitDialog(dialog);
        const std::vector<std::string>& log = dialog.list.entries;
        const auto logged = [&log](const char* line) {
            return std::find(log.begin(), log.end(), line) != log.end();
        };
        for (const auto start = Clock::now();
             Clock::now() - start < seconds(10) && !logged("Verbindung wiederhergestellt");) {
            controller.OnTimer();
            if (offline && logged("Verbindung zum Ger\xE4t verloren")) {
                offline = false;
                Prepare("three.wht", chooser.path = Path("waypoints.wht"));
                controller.OnCommand(IDC_SET_TASK), jobs.Finish();
                controller.OnCommand(IDC_CHOOSE), controller.OnCommand(IDC_UPDATE), jobs.Finish();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(PollPeriodMs));
        }
        testing::WriteBytes(config.ConfigFilePath, "[Strecke]\r\nStreckenPunkt1=Bayreuth,EDQD\r\n");
        controller.OnCommand(IDC_SET_TASK);
        jobs.Finish();
        controller.OnDestroy();
    }

    // The ticks of the poll timer until `frames` frames have begun (at most 20 s; a second when
    // it wants none): the longest that one tick took. A tick that starts while a whole frame
    // waits, one the simulator sent before its newest, must read it.
    Clock::duration PollUntilRead(int frames) {
        TelemetryReader reader;
        Clock::duration longest{};
        for (const auto start = Clock::now(); Clock::now() - start < seconds(frames > 0 ? 20 : 1) &&
                                              reader.FrameCounter < std::max(frames, 1);) {
            const Clock::time_point tick = Clock::now();
            const std::int32_t begun = reader.FrameCounter;
            const bool frameWaits = testing::ReadWholeFile(Path("sim.log")).find(
                "\nframe " + std::to_string(begun + 2) + " ") != std::string::npos;
            PollTelemetry(port, reader, dialog, &dialog.log, clock);
            longest = std::max(longest, Clock::now() - tick);
            EXPECT_TRUE(!frameWaits || reader.FrameCounter == begun + 1) << "frame left waiting";
            std::this_thread::sleep_until(tick + std::chrono::milliseconds(PollPeriodMs));
        }
        return longest;
    }

    // What the user saw, what the simulator logged, and what it holds once it has ended.
    std::string Story() {
        std::string story = "# what the user saw\n";
        for (const auto& entry : dialog.list.entries) story += testing::Escaped(entry) + "\n";
        for (const auto& box : boxes.shown) {
            story += "[" + box.caption + "] " + testing::Escaped(box.text) + "\n";
        }
        if (QuitRequested()) story += "(the program ends)\n";
        CloseComPort(std::exchange(port, nullptr));
        sim.Stop(SIGTERM);
        if (fs::is_symlink(fs::symlink_status(Path("line")))) story += "(its link stays)\n";
        story += "# what zr640-sim logged\n" + testing::ReadWholeFile(Path("sim.log")) +
                 "# what it holds\n" +
                 testing::Escaped(testing::ReadWholeFile(Path("memory.txt")), true);
        story = std::regex_replace(story, std::regex("/dev/pts/[0-9]+"), "/dev/pts/N");
        return std::regex_replace(story, std::regex(directory.Path()), "<dir>");
    }

    testing::TemporaryDirectory directory;
    testing::RecordingMessageBox boxes;
    test::SimProcess sim;
    platform::PosixSerialDevice device{Path("line")};
    ComPort record;
    ComPort* port = nullptr;
    platform::SteadyClock clock;
    testing::FakeDialogControls dialog;
    platform::OperationEnvironment operation{&dialog.log, clock};
    AppConfig config;
    PathChooser chooser;
    platform::XdgEditorLauncher editor;
    testing::ManualJobRunner jobs;
    testing::RecordingClipboard clipboard;
};

// The highest resident memory of this process since the last call, in kilobytes: each call
// resets the kernel's mark, so that a row is measured by its own growth, not an earlier peak.
long PeakKilobytesSinceLastCall() {
    std::ifstream status("/proc/self/status");
    long kilobytes = -1;
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:")) kilobytes = std::stol(line.substr(6));
    }
    std::ofstream("/proc/self/clear_refs") << "5";
    return kilobytes;
}

TEST(FaultMatrix, EveryFaultIsToldInWordsWithinItsBoundAndNothingIsClaimedFalsely) {
    constexpr long kFlatMemoryKilobytes = 16 * 1024;
    std::set<std::string> names;
    for (const FaultRow& row : Matrix()) {
        SCOPED_TRACE(row[0].at(0));
        names.insert(row[0][0]);
        ResetQuitRequest();
        Scene scene(row);
        const long memoryBefore = PeakKilobytesSinceLastCall();
        for (const std::string& step : row[2]) {
            EXPECT_LT(scene.Run(step, std::stoi(row[4].at(0))), seconds(std::stoi(row[3].at(0))));
        }
        EXPECT_LT(PeakKilobytesSinceLastCall() - memoryBefore, kFlatMemoryKilobytes);
        const std::string story = scene.Story();
        testing::ExpectGolden(kFaults + row[0][0] + ".log", story);
        long claimed = 0;  // the waypoints of the last Replace, which the instrument must hold
        for (const std::string& entry : scene.dialog.list.entries) {
            std::sscanf(entry.c_str(), "Replace fertig, %ld", &claimed);
        }
        const std::size_t held = story.find("[waypoints]\n"), task = story.find("[task]");
        const std::string list = held < task ? story.substr(held, task - held) : "";
        EXPECT_TRUE(!claimed || std::count(list.begin(), list.end(), '\n') > claimed);
    }
    EXPECT_EQ(testing::NamesIn(ZR640_FAULTS_DIR, ".log"), names);
}

// The tool's own loader finds the simulator that the demo starts, and its port hears the answer
// alone: the telemetry every 500 ms waits while the tool talks.
TEST(Demo, PointsTheToolAtTheSimulatorItStarts) {
    Scene scene(FaultRow{});
    const std::string where = "'" + scene.directory.Path() + "' '" + scene.Path("line") + "'";
    const std::string demo = "cd '" ZR640_SOURCE_DIR "' && . scripts/lib/demo.sh && demo_prepare " +
                             where + " && demo_sim_arguments " + where + " >" + scene.Path("sim");
    ASSERT_EQ(std::system(demo.c_str()), 0);
    scene.Run("ini", 0);  // its Device line names the simulator's link
    EXPECT_EQ(scene.config.Device, scene.Path("line"));
    std::ifstream arguments(scene.Path("sim"));
    ASSERT_TRUE(scene.sim.Start({std::istream_iterator<std::string>(arguments), {}}));
    scene.Open();
    const std::string sentence = FrameSentence("$KTWPI,Update");
    WriteComBlock(scene.port, reinterpret_cast<const std::uint8_t*>(sentence.data()),
                  int(sentence.size()), scene.operation);
    std::string heard;  // until the line falls silent for 600 ms
    while (heard.size() < 256 && WaitComInput(scene.port, 600) == platform::InputWait::Ready) {
        for (int byte; (byte = ReadComByte(scene.port)) != -1;) heard += static_cast<char>(byte);
    }
    EXPECT_TRUE(heard.ends_with(FrameSentence("$KTWPO,Update,0"))) << heard;
    EXPECT_TRUE(scene.boxes.shown.empty() && !QuitRequested()) << "the demo's zr640.ini is fine";
}

}  // namespace
}  // namespace zr640
