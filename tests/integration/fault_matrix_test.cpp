// The fault matrix: one row for each thing that can go wrong at the instrument, on the line, in
// the configuration or in the waypoint file, driven through the real core functions against the
// real zr640-sim on a pseudo-terminal. Whatever the fault, the user is told in words, nothing
// crashes, no step holds the user interface beyond the row's bound, memory stays flat, and the
// log never claims records that the instrument does not hold.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/main_dialog_controller.h"
#include "app/main_dialog_controller.h"
#include "platform/quit_request.h"
#include "config/configuration.h"
#include "fake_dialog_controls.h"
#include "manual_job_runner.h"
#include "platform/clock.h"
#include "backends/posix/ini_profile_file.h"
#include "backends/posix/posix_serial_device.h"
#include "backends/posix/xdg_editor_launcher.h"
#include "recording_message_box.h"
#include "serial/com_port.h"
#include "sim_process.h"
#include "telemetry/telemetry_reader.h"
#include "transfer/transfer.h"

namespace zr640 {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using Clock = std::chrono::steady_clock;
using std::chrono::seconds;

enum class Action { LoadConfiguration, Replace, Task, Telemetry };

// What a row puts where the tool will look: zr640.ini or the chosen waypoint file.
using Prepare = std::function<void(const fs::path&)>;

Prepare Bytes(std::string bytes) {
    return [bytes](const fs::path& path) { std::ofstream(path, std::ios::binary) << bytes; };
}
void Nothing(const fs::path&) {}
// Root reads a file of mode 000 all the same; a directory cannot be read by anyone.
void DirectoryInstead(const fs::path& path) { fs::create_directory(path); }

// `megabytes` of empty lines, written a megabyte at a time, and one record at the very end.
Prepare EmptyLinesThenARecord(int megabytes) {
    return [megabytes](const fs::path& path) {
        std::ofstream file(path, std::ios::binary);
        const std::string block(1 << 20, '\n');
        for (int i = 0; i < megabytes; ++i) file << block;
        file << "Bayreuth,EDQD\r\n";
    };
}

struct FaultRow {
    const char* fault;
    std::vector<std::string> sim;  // the simulator's options; none for the configuration
    std::vector<Action> actions;   // what the user does, in this order
    Prepare prepare;
    std::vector<std::string> shown;   // seen in the log or a message box, in this order
    std::vector<std::string> absent;  // seen nowhere
    seconds bound;                    // the longest one step may hold the user interface
    bool quits = false;               // the configuration ends the program
    int frames = 0;  // telemetry read until then, each frame as the simulator sent it
};

const std::string kFinished = "fertig";
const std::string kLost = "Verbindung zum Ger\xE4t verloren";
const std::string kAbort = "Abbruch, Fehler bei resend!!";
const std::string kNoAnswer = "Keine Antwort nach 2000 ms";
const std::string kThreeRecords = "Bayreuth,EDQD\r\nHetzleser Berg,EDQX\r\nOschersleben,EDOL\r\n";

const std::vector<FaultRow>& Matrix() {
    using A = Action;
    const std::vector<std::string> quiet = {"--no-telemetry"};
    auto with = [&quiet](std::vector<std::string> more) {
        more.insert(more.begin(), quiet.begin(), quiet.end());
        return more;
    };
    static const std::vector<FaultRow> rows = {
        {"instrument silent", with({"--silent"}), {A::Task}, Nothing,
         {kNoAnswer, kNoAnswer, kNoAnswer, "Abbruch, Strecke nicht gesetzt!",
          std::string(128, '-')}, {}, seconds(9)},
        {"late answer", with({"--reply-delay", "2500"}), {A::Task}, Nothing,
         {kNoAnswer, "$KTWPS,1,0*"}, {"Response Falsch"}, seconds(7)},
        {"wrong answer twice", with({"--wrong-replies", "2"}), {A::Replace}, Bytes(kThreeRecords),
         {"Response Falsch:$KTWPE,RETRY,KTWPI*", "Response Falsch:$KTWPE,RETRY,KTWPI*",
          "Replace fertig, 3 S\xE4tze \xFC" "bertragen!"},
         {kAbort}, seconds(3)},
        {"garbage between frames", {"--interval", "100", "--baud", "9600", "--garbage"},
         {A::Telemetry}, Nothing, {}, {"abgebrochen", "verworfen"}, seconds(2), false, 20},
        {"frame cut off, 500 ms, 4800 Bd", {"--interval", "500", "--baud", "4800",
         "--cut-frame-every", "2"}, {A::Telemetry}, Nothing, {}, {}, seconds(2), false, 5},
        {"frame cut off, 250 ms, 4800 Bd", {"--interval", "250", "--baud", "4800",
         "--cut-frame-every", "2"}, {A::Telemetry}, Nothing, {}, {}, seconds(2), false, 5},
        {"frame cut off, 500 ms, 9600 Bd", {"--interval", "500", "--baud", "9600",
         "--cut-frame-every", "2"}, {A::Telemetry}, Nothing, {}, {}, seconds(2), false, 5},
        {"frame cut off, 250 ms, 9600 Bd", {"--interval", "250", "--baud", "9600",
         "--cut-frame-every", "2"}, {A::Telemetry}, Nothing, {}, {}, seconds(2), false, 5},
        {"Length 0", {"--interval", "100", "--zero-length-every", "2"}, {A::Telemetry}, Nothing,
         {"Satznr ", "$ Laenge 0, Rahmen verworfen"}, {}, seconds(2)},
        {"line closed mid-upload", with({"--hangup-after", "2"}), {A::Replace},
         Bytes(kThreeRecords), {"$KTWPA,2*", kLost, kAbort}, {kFinished}, seconds(3)},
        {"device unplugged and plugged again",
         with({"--hangup-after", "1", "--reopen-after", "300"}),
         {A::Replace, A::Task, A::Telemetry}, Bytes(kThreeRecords),
         {"$KTWPA,1*", kLost, kAbort, "Strecke setzen", kLost}, {kFinished}, seconds(3)},
        {"configuration missing", {}, {A::LoadConfiguration}, Nothing,
         {"[Ini-Datei nicht gefunden!]", "Eine Datei mit Defaulteinstellungen wurde angelegt."},
         {}, seconds(2), true},
        {"configuration unreadable", {}, {A::LoadConfiguration}, DirectoryInstead,
         {"[Ini-Datei nicht lesbar!]", "zr640.ini\nl\xE4sst sich nicht lesen."}, {}, seconds(2),
         true},
        {"configuration malformed", {}, {A::LoadConfiguration},
         Bytes("[ZR640]\r\nCOMSETTINGS=COM1:4800,N,8\r\n"),
         {"[Fehler im COM-Eintrag in Ini-Datei!]", "Eintrag COM1:4800,N,8 fehlerhaft"}, {},
         seconds(2), true},
        {"waypoint file missing", quiet, {A::Replace}, Nothing,
         {"/waypoints.wht l\xE4sst sich nicht \xF6" "ffnen!"},
         {kFinished, "$KTWPI"}, seconds(2)},
        {"waypoint file empty", quiet, {A::Replace}, Bytes(""),
         {"$KTWPO,Replace,", "Replace fertig, 0 S\xE4tze"}, {"WP "}, seconds(3)},
        {"waypoint file binary", quiet, {A::Replace},
         Bytes([] {
             std::string bytes;
             for (int i = 0; i < 1024; ++i) bytes += static_cast<char>(i * 7 % 256);
             return bytes;
         }()),
         {"Abbruch, Zeile 1: enth\xE4lt ein Nullbyte"}, {kFinished, "$KTWPI"}, seconds(3)},
        {"NUL bytes", quiet, {A::Replace},
         Bytes("Bayreuth,EDQD\r\nHetz\0leser Berg,EDQX\r\nOschersleben,EDOL\r\n"s),
         {"Abbruch, Zeile 2: enth\xE4lt ein Nullbyte"}, {kFinished, "$KTWPI"}, seconds(3)},
        {"no line end", quiet, {A::Replace}, Bytes("Bayreuth,EDQD\r\nOschersleben,EDOL"),
         {"WP   2: $KTWPU,Oschersleben,EDOL,", "Replace fertig, 2 S\xE4tze"}, {}, seconds(3)},
        {"huge waypoint file", quiet, {A::Replace}, EmptyLinesThenARecord(50),
         {"WP   1: $KTWPU,Bayreuth,EDQD,", "Replace fertig, 1 S\xE4tze"}, {}, seconds(30)},
        {"waypoint line of 1 MB", quiet, {A::Replace}, Bytes(std::string(1 << 20, 'A') + "\r\n"),
         {"Abbruch, Zeile 1: ist l\xE4nger als 511 Zeichen"}, {kFinished, "$KTWPI"}, seconds(3)},
    };
    return rows;
}

// The index of the first entry at or after `from` that contains `text`, or seen.size().
std::size_t Find(const std::vector<std::string>& seen, const std::string& text, std::size_t from) {
    for (; from < seen.size(); ++from) {
        if (seen[from].find(text) != std::string::npos) break;
    }
    return from;
}

// The first of `texts` not seen in this order after those before it, or texts.size().
std::size_t FirstMissing(const std::vector<std::string>& seen,
                         const std::vector<std::string>& texts) {
    std::size_t next = 0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        next = Find(seen, texts[i], next);
        if (next == seen.size()) return i;
        ++next;
    }
    return texts.size();
}

long PeakResidentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Everything the user could read: the log's entries, and each message box as "[caption]" and
// its text.
class Scene {
public:
    explicit Scene(const FaultRow& row) : row_(row), directory_(MakeDirectory()) {
        config.MaxLaengeName1 = 20;
        if (!row.sim.empty()) {
            std::vector<std::string> options = row.sim;
            options.insert(options.end(), {"--store", StorePath(), "--log", SimLogPath()});
            started = sim.Start(options);
            device = std::make_unique<platform::PosixSerialDevice>(sim.SlavePath());
            record.device = device.get();
            port = OpenComPort(record, 1, 4800, 'N', 8, 1, 256);
            DiscardInput(port);
        }
    }
    ~Scene() {
        if (port != nullptr) CloseComPort(port);
        std::error_code ignored;
        fs::remove_all(directory_, ignored);
    }

    fs::path Path(const char* name) const { return directory_ / name; }
    std::string StorePath() const { return Path("memory.txt").string(); }
    std::string SimLogPath() const { return Path("sim.log").string(); }

    // Runs one action and returns the longest time that one step of it held the thread.
    Clock::duration Run(Action action) {
        waypointFilePath = Path("waypoints.wht").string();
        TransferContext context{operation, port, config, waypointFilePath};
        const Clock::time_point start = Clock::now();
        switch (action) {
        case Action::LoadConfiguration: {
            platform::IniProfileFile profile;
            LoadConfiguration(profile, directory_.string(), '/', config);
            break;
        }
        case Action::Replace:
            UploadWaypointFile(UploadMode::Replace, context);
            break;
        case Action::Task:
            UploadTask(context);
            break;
        case Action::Telemetry:
            return PollUntilShown();
        }
        return Clock::now() - start;
    }

    // The ticks of the poll timer, for at least a second and until the row's texts and frames
    // are seen (at most 20 seconds): the longest that one tick took. A tick that starts while
    // a whole frame waits, one the simulator sent before its newest, must read it.
    Clock::duration PollUntilShown() {
        TelemetryReader reader;
        Clock::duration longest{};
        const Clock::time_point start = Clock::now();
        while (Clock::now() - start < seconds(1) ||
               ((FirstMissing(Seen(), row_.shown) < row_.shown.size() ||
                 reader.FrameCounter < row_.frames) &&
                Clock::now() - start < seconds(20))) {
            const Clock::time_point tick = Clock::now();
            const std::int32_t begun = reader.FrameCounter;
            const bool frameWaits =
                row_.frames > 0 && static_cast<int>(SentFrames().size()) - 1 > begun;
            PollTelemetry(port, reader, dialog, &dialog.log, clock);
            longest = std::max(longest, Clock::now() - tick);
            if (frameWaits && reader.FrameCounter != begun + 1) {
                ADD_FAILURE() << "frame " << begun + 1 << " left waiting";
                break;
            }
            std::this_thread::sleep_until(tick + std::chrono::milliseconds(PollPeriodMs));
        }
        return longest;
    }

    // The frames the simulator has sent, cut to their Length (garbage follows it); a frame
    // broken off is shorter.
    std::vector<std::string> SentFrames() const {
        std::vector<std::string> frames;
        std::ifstream log(SimLogPath());
        for (std::string line; std::getline(log, line);) {
            if (line.rfind("frame ", 0) != 0) continue;
            std::istringstream hex(line.substr(line.find(": ") + 2));
            std::string bytes;
            for (unsigned byte = 0; hex >> std::hex >> byte;) bytes += static_cast<char>(byte);
            // The line being written as this reads it may not have its header yet.
            if (bytes.size() < 3) break;
            frames.push_back(bytes.substr(0, std::max(3, int(std::uint8_t(bytes[2])))));
        }
        return frames;
    }

    // The log that the simulator's first `count` frames call for: each whole frame's line,
    // and for one broken off the line that drops it.
    std::vector<std::string> ExpectedLog(std::size_t count) const {
        std::vector<std::string> expected;
        for (const std::string& bytes : SentFrames()) {
            if (expected.size() == count) break;
            const auto number = static_cast<std::int32_t>(expected.size() + 1);
            FrameBytes frame{};
            std::copy(bytes.begin(), bytes.end(), frame.begin());
            const int length = std::max(3, int(frame[kLengthOffset]));
            char line[128];
            std::snprintf(line, sizeof line, "Reading %5d $ Rahmen abgebrochen nach %zu von %d"
                          " Bytes", number, bytes.size(), length);
            const std::string whole = FrameLogLine(frame, number);
            const bool cut = static_cast<int>(bytes.size()) < length;
            expected.push_back(cut ? line : whole.substr(0, whole.find('\n')));
        }
        return expected;
    }

    std::vector<std::string> Seen() const {
        std::vector<std::string> seen = dialog.list.entries;
        for (const testing::ShownMessage& message : messageBoxes.shown) {
            seen.push_back("[" + message.caption + "]");
            seen.push_back(message.text);
        }
        return seen;
    }

    // The waypoints the simulator held when it ended.
    std::size_t StoredWaypoints() {
        if (port != nullptr) CloseComPort(port);
        port = nullptr;
        sim.Stop(SIGTERM);
        std::ifstream memory(StorePath());
        std::size_t count = 0;
        bool inWaypoints = false;
        for (std::string line; std::getline(memory, line);) {
            if (!line.empty() && line.front() == '[') {
                inWaypoints = line == "[waypoints]";
            } else if (inWaypoints && !line.empty()) {
                ++count;
            }
        }
        return count;
    }

    testing::RecordingMessageBox messageBoxes;
    test::SimProcess sim;
    bool started = false;
    std::unique_ptr<platform::PosixSerialDevice> device;
    ComPort record;
    ComPort* port = nullptr;
    platform::SteadyClock clock;
    testing::FakeDialogControls dialog;
    platform::OperationEnvironment operation{&dialog.log, clock};
    AppConfig config;
    std::string waypointFilePath;

private:
    static fs::path MakeDirectory() {
        static int counter = 0;
        const fs::path path = fs::temp_directory_path() /
            ("zr640-faults-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::create_directories(path);
        return path;
    }

    const FaultRow& row_;
    fs::path directory_;
};

// The number N of a "... fertig, N Sätze übertragen!" line, or -1 when there is none.
long ClaimedRecords(const std::vector<std::string>& seen) {
    for (const std::string& entry : seen) {
        long count = -1;
        const std::size_t at = entry.find("fertig, ");
        if (at != std::string::npos && std::sscanf(entry.c_str() + at, "fertig, %ld", &count) == 1) {
            return count;
        }
    }
    return -1;
}

TEST(FaultMatrix, EveryFaultIsToldInWordsWithinItsBoundAndNothingIsClaimedFalsely) {
    constexpr long kFlatMemoryKilobytes = 16 * 1024;
    for (const FaultRow& row : Matrix()) {
        SCOPED_TRACE(row.fault);
        ResetQuitRequest();
        Scene scene(row);
        ASSERT_TRUE(row.sim.empty() || (scene.started && scene.port != nullptr))
            << scene.sim.Error();
        const bool configurationRow = row.actions.front() == Action::LoadConfiguration;
        row.prepare(configurationRow ? scene.Path(kConfigFileName) : scene.Path("waypoints.wht"));

        const long memoryBefore = PeakResidentKilobytes();
        for (const Action action : row.actions) {
            EXPECT_LT(scene.Run(action), row.bound);
        }
        EXPECT_LT(PeakResidentKilobytes() - memoryBefore, kFlatMemoryKilobytes);
        EXPECT_EQ(QuitRequested(), row.quits);

        const std::vector<std::string> seen = scene.Seen();
        const std::size_t missing = FirstMissing(seen, row.shown);
        EXPECT_EQ(missing, row.shown.size())
            << "not shown in this order: " << row.shown[std::min(missing, row.shown.size() - 1)];
        for (const std::string& text : row.absent) {
            EXPECT_EQ(Find(seen, text, 0), seen.size()) << "shown: " << text;
        }
        const std::vector<std::string>& log = scene.dialog.list.entries;
        if (row.frames > 0) {
            EXPECT_EQ(log, scene.ExpectedLog(std::max(log.size(), std::size_t(row.frames))));
        }
        if (!row.sim.empty() && !configurationRow) {
            // A Replace starts from an empty list, and every name is sent once.
            const long claimed = ClaimedRecords(seen);
            const std::size_t stored = scene.StoredWaypoints();
            if (claimed >= 0) {
                EXPECT_EQ(stored, static_cast<std::size_t>(claimed));
            }
        }
        if (::testing::Test::HasFailure()) {
            std::ostringstream all;
            for (const std::string& entry : seen) all << "  | " << entry << "\n";
            ADD_FAILURE() << "what the user saw:\n" << all.str();
            return;
        }
    }
}

class NoFileChooser final : public platform::FileChooser {
public:
    bool ChooseFile(const platform::FileChooserRequest&, std::string&) override { return false; }
};

// The controller's tick over the simulator, which pulls its line out and plugs a new one in
// 2.5 s later: the loss is logged once, the port is tried again without a box while the
// device is away, and the frames go on once it is back.
TEST(LineLoss, TheTickOpensThePortAgainWhenTheDeviceIsBack) {
    const fs::path link = fs::temp_directory_path() / ("zr640-unplug-" + std::to_string(::getpid()));
    test::SimProcess sim;
    ASSERT_TRUE(sim.Start({"--interval", "200", "--link", link.string(), "--unplug-after", "800",
                           "--reopen-after", "2500"}));
    testing::RecordingMessageBox messages;
    platform::PosixSerialDevice device(link.string());
    NoFileChooser chooser;
    platform::XdgEditorLauncher editor;
    platform::SteadyClock clock;
    testing::ManualJobRunner jobs;
    AppConfig config;
    MainDialogController controller(config, {device, chooser, editor, clock, jobs});
    testing::FakeDialogControls dialog;
    controller.OnInitDialog(dialog);
    const std::vector<std::string>& log = dialog.list.entries;
    const std::string restored = "Verbindung wiederhergestellt";
    const Clock::time_point start = Clock::now();
    while (Clock::now() - start < seconds(10) &&
           (Find(log, restored, 0) == log.size() || log.back().rfind("Reading ", 0) != 0)) {
        controller.OnTimer();
        std::this_thread::sleep_for(std::chrono::milliseconds(PollPeriodMs));
    }
    controller.OnDestroy();
    const std::size_t lost = Find(log, kLost, 0);
    ASSERT_LT(lost, log.size());
    EXPECT_EQ(Find(log, kLost, lost + 1), log.size());
    EXPECT_LT(Find(log, restored, lost), log.size());
    EXPECT_EQ(log.back().rfind("Reading ", 0), 0u) << log.back();
    EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace zr640
