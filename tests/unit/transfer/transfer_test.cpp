// Waypoint and task uploads over the fake device, each run's log, sentences and RTS line against
// tests/data/transfer/*.log. After a deliberate change, run with ZR640_REGENERATE_GOLDEN=1 and
// review the diff.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "config/configuration.h"
#include "test_files.h"
#include "transcript.h"
#include "transfer/transfer.h"

namespace zr640 {
namespace {

using namespace std::string_literals;

// One fresh port over a fake device that answers from a script, and a waypoint file.
struct Bench {
    Bench() {
        record.device = &device;
        OpenComPort(record, 1, 4800, 'N', 8, 1, 256);
        transcript.Take();
    }
    void File(const std::string& bytes) { testing::WriteBytes(path, bytes); }
    // One reply line per write, CR LF added; "" for a write that gets no answer.
    void Replies(std::initializer_list<std::string> lines, std::uint32_t delayMs = 0) {
        for (const std::string& line : lines) {
            device.replies.push_back({line.empty() ? line : line + "\r\n", delayMs});
        }
    }
    void Upload(UploadMode mode) {
        TransferContext context{operation, &record, config, path};
        UploadWaypointFile(mode, context);
    }
    void Task(std::initializer_list<std::string> points) {
        config.MaxLaengeName1 = config.MaxLaengeName2 = 255;
        for (const std::string& point : points) {
            ParseWaypointFields(point.c_str(), config.Route.slot.at(config.RouteCount++), config);
        }
        TransferContext context{operation, &record, config, path};
        UploadTask(context);
    }
    // Cancels as wait number `wait` (from 0) on the port begins.
    void CancelAtWait(int wait) {
        device.onWait = [this, wait, waits = 0]() mutable {
            if (waits++ == wait) operation.Cancel(), transcript.Note("cancel");
        };
    }

    testing::TemporaryDirectory directory;
    std::string path = directory.File("waypoints.wht");
    testing::RecordingMessageBox boxes;
    testing::ManualClock clock;
    testing::FakeSerialDevice device{&clock};
    testing::Transcript transcript{device, clock, boxes};
    platform::OperationEnvironment operation{&transcript, clock};
    ComPort record;
    AppConfig config;
};

using Row = std::pair<std::string, std::function<void(Bench&)>>;

// Each row on a fresh bench, its transcript under its name; every run ends with RTS low.
std::string Play(const std::vector<Row>& rows) {
    std::string story;
    for (const auto& [name, play] : rows) {
        Bench bench;
        play(bench);
        const std::string run = bench.transcript.Take();
        story += "== " + name + "\n" + run;
        EXPECT_TRUE(bench.device.escapes.empty() || bench.device.escapes.back() == CLRRTS) << name;
        const std::size_t cancel = run.find(" cancel\n");
        EXPECT_TRUE(cancel == std::string::npos || run.find(" tx ", cancel) == std::string::npos)
            << name;
    }
    return story;
}

TEST(WaypointUpload, EveryFileAndEveryAnswerGivesItsGoldenRun) {
    std::vector<Row> rows = {
        {"no file chosen", [](Bench& b) {
             b.transcript.Note("chosen: " + std::to_string(WaypointFileChosen("")) +
                               std::to_string(WaypointFileChosen("x.wht"))); }},
        {"Replace: blank lines skipped, nine trimmed fields, names cut", [](Bench& b) {
             b.config.MaxLaengeName1 = 10;
             b.Replies({"$KTWPO", "$KTWPA,1", "$KTWPA,2", "$KTWPA,34", "$KTWPA,4", "$KTWPA,5"});
             b.File("Hetzleser Berg,EDQX, 48.5 ,9.3\r\n\r\n   \r\nX,,Y\r\n"
                    "1,2,3,4,5,6,7,8,9,10,11\r\nM\xFCnchen\r\r\n");
             b.Upload(UploadMode::Replace); }},
        {"Update: any count accepted, line feeds alone, names cut to 8", [](Bench& b) {
             b.File("Hetzleser Berg,EDQXY\nAalen\n\n");
             b.Replies({"$KTWPO,Update", "$KTWPA,99", "$KTWPA,"}), b.Upload(UploadMode::Update); }},
        {"empty lines only", [](Bench& b) {
             b.File("\r\n\n\r\r\n"), b.Replies({"$KTWPO"}), b.Upload(UploadMode::Update); }},
        {"the longest line, field and sentence", [](Bench& b) {
             b.config.MaxLaengeName1 = b.config.MaxLaengeName2 = 255;
             b.Replies({"$KTWPO", "$KTWPA,1", "$KTWPA,2", "$KTWPA,3"});
             b.File("A,,,,,,,,," + std::string(501, 'x') + "\r\n" + std::string(255, 'f') +
                    "\r\n" + std::string(255, 'a') + "," + std::string(236, 'b'));
             b.Upload(UploadMode::Replace); }},
        {"a file that cannot be opened", [](Bench& b) {
             b.path = "/nicht/vorhanden.wht", b.Upload(UploadMode::Replace); }},
    };
    // A line that cannot go out whole stops the run before anything is sent, wherever it stands.
    const std::string longSentence = "B,C," + std::string(255, 'a') + "," + std::string(235, 'b');
    for (const std::string& bad : {std::string(512, 'x'), "B\0C"s, "B\rC"s,
                                   "B,C," + std::string(256, 'f'), longSentence}) {
        for (const std::string& file :
             {bad + "\r\nA\r\n", "A\r\n\r\n" + bad + "\r\nD\r\n", "A\r\n" + bad}) {
            rows.push_back({"not sent: " + testing::Escaped(file.substr(0, 12)), [file](Bench& b) {
                b.File(file), b.Replies({"$KTWPO", "$KTWPA,1"}), b.Upload(UploadMode::Replace);
                EXPECT_TRUE(b.device.writes.empty()) << testing::Escaped(file); }});
        }
    }
    testing::ExpectGolden(ZR640_TRANSFER_GOLDEN_DIR "/waypoint_upload.log", Play(rows));
}

// Wherever an exchange of a run fails, and wherever the user cancels, the run ends there: no
// sentence after it, RTS low, and the log says how far it came.
TEST(WaypointUpload, AFaultAtAnyExchangeAndACancelAtAnyWaitEndTheRunThere) {
    const std::vector<std::string> answers = {"$KTWPO", "$KTWPA,1", "$KTWPA,2"};
    const std::pair<const char*, std::vector<testing::ScriptedReply>> faults[] = {
        {"one wrong answer", {{"$KTWPX\r\n"}}},
        {"three wrong answers", {{"$X\n"}, {"$X\n"}, {"$X\n"}}},
        {"silence", {{""}, {""}, {""}}},
        {"the line lost", {{"$KT", 300, true}}}};
    std::vector<Row> rows;
    for (std::size_t k = 0; k < answers.size(); ++k) {
        for (const auto& [fault, script] : faults) {
            const std::string name = fault + " at exchange "s + std::to_string(k);
            rows.push_back({name, [&answers, &script = script, k](Bench& b) {
                for (std::size_t i = 0; i < answers.size(); ++i) {
                    if (i == k) b.device.replies.insert(b.device.replies.end(), script.begin(),
                                                        script.end());
                    if (i != k || script.size() == 1) b.Replies({answers[i]});
                }
                b.File("A,1\r\nB,2\r\n"), b.Upload(UploadMode::Replace); }});
        }
    }
    // Every answer comes 100 ms late, so that each exchange waits on the port twice.
    for (int wait = 0; wait < 6; ++wait) {
        rows.push_back({"cancel at wait " + std::to_string(wait), [wait](Bench& b) {
            b.Replies({"$KTWPO", "$KTWPA,1", "$KTWPA,2"}, 100), b.CancelAtWait(wait);
            b.File("A,1\r\nB,2\r\n"), b.Upload(UploadMode::Replace); }});
    }
    testing::ExpectGolden(ZR640_TRANSFER_GOLDEN_DIR "/upload_faults.log", Play(rows));
}

TEST(TaskUpload, EveryRouteAndEveryAnswerGivesItsGoldenRun) {
    // "$KTWPR,1,1,1", 3 points of 2 + 117 + 4 characters, the last point, 5 for "*HH\r\n".
    const std::string point = std::string(117, 'n') + ",EDXX";
    const std::vector<Row> rows = {
        {"four points, one without identifier", [](Bench& b) {
             b.Replies({"$KTWPS,1,4"});
             b.Task({"Bayreuth,EDQD", "Oschersleben", "M\xFCnchen,EDMR", "Aalen,EDPA"}); }},
        {"no point", [](Bench& b) { b.Replies({"$KTWPS,1,0"}), b.Task({}); }},
        {"three wrong answers", [](Bench& b) {
             b.Replies({"$KTWPS,1,2", "$KTWPS,1,2", "$KTWPS,1,2"}), b.Task({"Bayreuth,EDQD"}); }},
        {"silence", [](Bench& b) { b.Task({"Bayreuth,EDQD"}); }},
        {"cancel in the wait", [](Bench& b) { b.CancelAtWait(0), b.Task({"Bayreuth,EDQD"}); }},
        {"the longest sentence, 511 characters", [&](Bench& b) {
             b.Replies({"$KTWPS,1,4"});
             b.Task({point, point, point, std::string(119, 'l') + ",EDXX"}); }},
        {"a sentence of 512 characters", [&](Bench& b) {
             b.Task({point, point, point, std::string(120, 'l') + ",EDXX"}); }},
    };
    testing::ExpectGolden(ZR640_TRANSFER_GOLDEN_DIR "/task_upload.log", Play(rows));
}

}  // namespace
}  // namespace zr640
