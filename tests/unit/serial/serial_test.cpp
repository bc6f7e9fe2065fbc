// SPDX-License-Identifier: GPL-3.0-or-later
// The port, the sentence exchange and the uploads made of exchanges, over the fake device: each
// table's rows, played one by one, against its golden file in tests/data/serial and
// tests/data/transfer. After a deliberate change, run with ZR640_REGENERATE_GOLDEN=1 and review
// the diff.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "config/configuration.h"
#include "fake_dialog_controls.h"
#include "platform/dialog_layout.h"
#include "serial/sentence.h"
#include "test_files.h"
#include "transcript.h"
#include "transfer/transfer.h"
#include "transfer/upload_sentences.h"

namespace zr640 {
namespace {

using namespace std::string_literals;
const std::string kSentence = FrameSentence("$KTWPI,Update");

// One fresh port record over a fake device that answers from a script, and a waypoint file;
// every operation notes its result in the transcript.
struct Bench {
    Bench() { record.device = &device, record.indicators = &controls; }
    void Say(const std::string& call, int result) {
        char state[64];
        std::snprintf(state, sizeof state, " -> %d, isOpen %d, ring %d at %d/%d", result,
                      record.isOpen, record.rxRing != nullptr ? record.rxRingSize : 0,
                      record.rxReadPos, record.rxWritePos);
        std::string text = call + state;
        for (const auto& [id, on] : controls.checks) text += id == IDC_RX ? ", RX lit" : ", TX lit";
        controls.checks.clear(), transcript.Note(text);
    }
    void Open(int number = 1, int ringSize = 256) {
        ComPort* opened = OpenComPort(record, number, 9600, 'E', 7, 2, ringSize);
        if (opened != nullptr) port = opened;
        Say("OpenComPort(" + std::to_string(number) + ")", opened == &record);
    }
    // A line of `baud`, 8N1, whose output leaves the device at the pace of the wire, in place
    // of the one opened before.
    void OpenPaced(std::int32_t baud, std::uint32_t byteMicros) {
        CloseComPort(port);
        device.byteMicros = byteMicros;
        port = OpenComPort(record, 1, baud, 'N', 8, 1, 256);
        transcript.Take();
    }
    void Close() { Say("CloseComPort", CloseComPort(port)); }
    void Read() { Say("ReadComByte", ReadComByte(port)); }
    void Write(const std::string& s) {
        Say("WriteComBlock", WriteComBlock(port, reinterpret_cast<const std::uint8_t*>(s.data()),
                                           static_cast<int>(s.size()), operation));
    }
    void Reply(const std::string& bytes, std::uint32_t delayMs = 0, bool loseLine = false) {
        device.replies.push_back({bytes, delayMs, loseLine});
    }
    // One reply line per write, CR LF added; "" for a write that gets no answer.
    void Replies(std::initializer_list<std::string> lines, std::uint32_t delayMs = 0) {
        for (const std::string& line : lines) Reply(line.empty() ? line : line + "\r\n", delayMs);
    }
    void Exchange(const char* prefix = "$KTWPO", int attempts = kExchangeAttempts) {
        transcript.Note("ExchangeSentence -> " + std::to_string(ExchangeSentence(
            operation, port, ReplyTimeoutMs, attempts, kSentence.c_str(), prefix)));
    }
    // Cancels as call number `count` (from 0) of the device's `call` begins.
    void CancelAt(const std::string& call, int count) {
        device.onCall = [this, call, count, seen = 0](const std::string& name) mutable {
            if (name == call && seen++ == count) operation.Cancel(), transcript.Note("cancel");
        };
    }
    void CancelAtWait(int wait) { CancelAt("WaitForInput", wait); }
    void File(const std::string& bytes) { testing::WriteBytes(path, bytes); }
    void Upload(UploadMode mode) {
        TransferContext context{operation, port, config, path};
        UploadWaypointFile(mode, context);
    }
    void Task(std::initializer_list<std::string> points) {
        config.MaxLaengeName1 = config.MaxLaengeName2 = 255;
        for (const std::string& point : points) {
            ParseWaypointFields(point.c_str(), config.Route.slot.at(config.RouteCount++), config);
        }
        TransferContext context{operation, port, config, path};
        UploadTask(context);
    }

    testing::TemporaryDirectory directory;
    std::string path = directory.File("waypoints.wht");
    testing::RecordingMessageBox boxes;
    testing::ManualClock clock;
    testing::FakeSerialDevice device{&clock};
    testing::FakeDialogControls controls;
    testing::Transcript transcript{device, clock, boxes};
    platform::OperationEnvironment operation{&transcript, clock};
    ComPort record;
    ComPort* port = nullptr;
    AppConfig config;
};

using Row = std::pair<std::string, std::function<void(Bench&)>>;

// Each row on a fresh bench, its transcript under its name; every run ends with RTS low and
// writes nothing after a cancel.
std::string Play(const std::vector<Row>& rows, bool openFirst = true, bool everyCall = false) {
    std::string story;
    for (const auto& [name, play] : rows) {
        Bench bench;
        if (openFirst) bench.Open(), bench.transcript.Take();
        play(bench);
        const std::string run = bench.transcript.Take(everyCall);
        story += "== " + name + "\n" + run;
        EXPECT_TRUE(bench.device.escapes.empty() || bench.device.escapes.back() == CLRRTS) << name;
        const std::size_t cancel = run.find(" cancel\n");
        EXPECT_TRUE(cancel == std::string::npos || run.find(" tx ", cancel) == std::string::npos)
            << name;
    }
    return story;
}

TEST(ComPort, EveryOperationGivesItsGoldenCallsBoxesAndResults) {
    std::vector<Row> rows = {
        {"opens, closes restoring the time-outs, opens again", [](Bench& b) {
             b.device.deviceTimeouts = {7, 8, 9, 10, 11}, b.Open(3), b.Close(), b.Open(3); }},
        {"port numbers outside 1..255 refused before the device", [](Bench& b) {
             b.Open(0), b.Open(256), b.Open(255); }},
        {"a second opening refused, the first port reads on", [](Bench& b) {
             b.Open(2), b.Open(5), b.device.Feed("A"), b.Read(); }},
        {"no receive ring", [](Bench& b) { b.device.lastErrorCode = 8, b.Open(1, 0); }},
        {"the device's reason on a line of its own", [](Bench& b) {
             b.device.failing = {"Open"};
             b.device.openFailureDetail = "/dev/ttyUSB0: No such file or directory", b.Open(3); }},
        {"a failing close or restore closes all the same, the port opens again", [](Bench& b) {
             b.Open(), b.device.failing = {"Close"}, b.Close(), b.Close();
             b.device.failing.clear(), b.Open(), b.device.failing = {"SetTimeouts"}, b.Close(); }},
        {"reads 0..255 from one read of what waits, which lights RX", [](Bench& b) {
             b.Open(), b.Read(), b.device.Feed("\xFF\x00"s), b.Read(), b.Read(), b.Read(); }},
        {"a ring left by a failed opening is resized; a read fills all but one byte of it",
         [](Bench& b) {
             b.device.failing = {"Open"}, b.Open(1, 4), b.device.failing.clear();
             b.Open(1, 8), b.device.Feed("abcdefghij");
             for (int i = 0; i < 11; ++i) b.Read(); }},
        {"what a read took ahead goes with a write's purge", [](Bench& b) {
             b.Open(), b.device.Feed("stale"), b.Read(), b.Write("$abc*60\r\n"), b.Read(); }},
        {"a failing event mask is shown at the first opening alone", [](Bench& b) {
             b.device.failing = {"SetEventMask"}, b.Open(), b.Close(), b.Open(), b.Read(); }},
        {"writes after a purge, on where the device takes less, says what it took, lights TX",
         [](Bench& b) {
             b.Open(), b.device.Feed("stale"), b.Write("$abc*60\r\n");
             b.device.writeAccepts = 4, b.Write("$abc*60\r\n");
             b.device.writeAccepts = -1, b.Write("$abc"); }},
        {"RTS and discarded input", [](Bench& b) {
             b.Open(), b.Say("SetRts(3)", SetRts(b.port, SETRTS));
             b.Say("SetRts(4)", SetRts(b.port, CLRRTS)), b.device.Feed("pending");
             b.Say("DiscardInput", DiscardInput(b.port)), b.Read();
             b.device.Feed("n"), b.Read(); }},
        {"a null port and a closed one give their null results", [](Bench& b) {
             b.Open(), b.Close();
             for (ComPort* port : {static_cast<ComPort*>(nullptr), &b.record}) {
                 b.port = port, b.Read(), b.Write("x"), b.Close(), b.Say("SetRts", SetRts(port, 3));
                 b.Say("DiscardInput", DiscardInput(port)); } }},
    };
    for (const char* name : {"Open", "SetupQueues", "BuildLineSettings", "ApplyLineSettings",
                             "GetTimeouts", "SetTimeouts", "SetEventMask", "Purge"}) {
        rows.push_back({std::string(name) + " fails", [name](Bench& b) {
            b.device.failing = {name}, b.device.lastErrorCode = 87, b.Open(4); }});
    }
    testing::ExpectGolden(ZR640_DATA_DIR "/serial/com_port.log", Play(rows, false, true));
}

TEST(SentenceExchange, EveryReplyGivesItsGoldenLinesAttemptsAndResult) {
    const std::vector<Row> rows = {
        {"wrong, right", [](Bench& b) {
             b.Reply("$KTWPA,3\r\n"), b.Reply("$KTWPO\r\n"), b.Exchange(); }},
        {"255 bytes judged, 256 overflow", [](Bench& b) {
             b.Reply("$KTWPO," + std::string(246, 'x') + "\r\n"), b.Exchange();
             b.Reply(std::string(255, 'y') + "\n"), b.Reply("$KTWPO\r\n"), b.Exchange(); }},
        {"an empty prefix, a longer reply", [](Bench& b) {
             b.Reply("whatever\r\n"), b.Exchange(""), b.Reply("$KTWPA,17\r\n");
             b.Exchange("$KTWPA,"); }},
        {"a zero byte ends the text", [](Bench& b) {
             b.Reply("$KTWPO\0junk\r\n"s), b.Exchange(), b.Reply("$KT\0WPO\r\n"s);
             b.Exchange("$KTWPO", 1); }},
        {"bytes ahead of the reply join it, older ones are purged", [](Bench& b) {
             b.device.Feed("$KTWPO\r\n"), b.Reply("noise$KTWPO\r\n"), b.Exchange("$KTWPO", 1); }},
        {"the last attempt decides", [](Bench& b) {
             b.Reply("$BAD\r\n"), b.Exchange(), b.Reply(""), b.Reply(""), b.Reply("$BAD\r\n");
             b.Exchange(); }},
        {"late and incomplete replies", [](Bench& b) {
             b.Reply("$KTWPO\r\n", 1500), b.Exchange(), b.Reply("$KTWPO\r\n", 2100), b.Exchange();
             b.Reply("$KTW"), b.Exchange("$KTWPO", 1); }},
        {"line lost", [](Bench& b) {
             b.Reply("$KT", 500, true), b.Reply("$KTWPO\r\n"), b.Exchange(); }},
        {"no port", [](Bench& b) { b.port = nullptr, b.Exchange(); }},
        {"a stalled adapter holds the sentence 10 ms a byte and 100 ms, not that a slice",
         [](Bench& b) { b.device.stalled = true, b.Exchange("$KTWPO", 1); }},
        {"a cancel while the line carries the sentence purges the rest", [](Bench& b) {
             b.OpenPaced(1200, 8334), b.CancelAt("OutputQueued", 0);
             b.Reply("$KTWPO\r\n"), b.Exchange(); }},
        {"the answer comes once the sentence has left the device", [](Bench& b) {
             b.OpenPaced(1200, 8334), b.Reply("$KTWPO\r\n", 20);
             b.Exchange(); }},
    };
    testing::ExpectGolden(ZR640_DATA_DIR "/serial/exchange.log", Play(rows));
}

TEST(WaypointUpload, EveryFileAndEveryAnswerGivesItsGoldenRun) {
    std::vector<Row> rows = {
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
        {"the reply each record expects, a prefix", [](Bench& b) {
             b.transcript.Note("Replace 1: " + RecordReply(UploadMode::Replace, 1) + ", 12: " +
                               RecordReply(UploadMode::Replace, 12) + ", Update 1: " +
                               RecordReply(UploadMode::Update, 1)); }},
        {"Replace: record 1 answered $KTWPA,2, refused three times", [](Bench& b) {
             b.File("A,1\r\nB,2\r\n"), b.Replies({"$KTWPO", "$KTWPA,2", "$KTWPA,2", "$KTWPA,2"});
             b.Upload(UploadMode::Replace); }},
        {"Replace: record 1 answered $KTWPA,12, accepted", [](Bench& b) {
             b.File("A,1\r\n"), b.Replies({"$KTWPO", "$KTWPA,12"});
             b.Upload(UploadMode::Replace); }},
        {"Update: $KTWPO and $KTWPX, refused", [](Bench& b) {
             b.File("A,1\r\n"), b.Replies({"$KTWPO", "$KTWPO", "$KTWPX,", "$KTWPO"});
             b.Upload(UploadMode::Update); }},
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
    testing::ExpectGolden(ZR640_DATA_DIR "/transfer/waypoint_upload.log", Play(rows));
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
    testing::ExpectGolden(ZR640_DATA_DIR "/transfer/upload_faults.log", Play(rows));
}

// The longest task sentence over a 4800 baud line whose output queue empties at the pace of the
// wire (a pseudo-terminal never holds output): a cancel as any slice is written, or as any wait
// for a slice to leave looks at the queue, ends the transfer there: the slice under way is the
// last, the rest of the output is purged, RTS ends low, one abort line, and the clock has moved
// at most 50 ms past the cancel.
TEST(TaskUpload, ACancelAtAnySliceOfTheLongestSentenceOrItsWaitEndsItWithin50Ms) {
    const std::string point = std::string(117, 'n') + ",EDXX";
    for (const std::string call : {"Write", "OutputQueued"}) {
        int cancels = 0;
        for (bool fired = true; fired; ++cancels) {
            SCOPED_TRACE(call + " " + std::to_string(cancels));
            Bench b;
            b.OpenPaced(4800, 2084);
            fired = false;
            std::uint32_t cancelMs = 0;
            std::size_t writesBefore = 0;
            b.device.onCall = [&, seen = 0](const std::string& name) mutable {
                if (name != call || seen++ != cancels) return;
                fired = true, cancelMs = b.clock.NowMs(), writesBefore = b.device.writes.size();
                b.operation.Cancel();
            };
            b.Replies({"$KTWPS,1,4"});
            b.Task({point, point, point, std::string(119, 'l') + ",EDXX"});
            if (!fired) break;
            EXPECT_EQ(b.device.writes.size(), writesBefore + (call == "Write"));
            EXPECT_EQ(b.device.escapes.back(), CLRRTS);
            EXPECT_LE(b.clock.NowMs() - cancelMs, 50u);
            const std::string run = b.transcript.Take(true);
            const std::size_t abort = run.find("log Abbruch");
            EXPECT_NE(run.find("Purge 5\n"), std::string::npos) << run;
            EXPECT_TRUE(abort != std::string::npos &&
                        run.find("log Abbruch", abort + 1) == std::string::npos) << run;
        }
        // 511 bytes at 24 a slice; each slice's wait looks at the queue at least twice.
        EXPECT_TRUE(call == "Write" ? cancels == 22 : cancels >= 44) << cancels;
    }
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
        {"cancel in the last 50 ms of the first wait", [](Bench& b) {
             b.CancelAtWait(39), b.Task({"Bayreuth,EDQD"}); }},
        {"the longest sentence, 511 characters", [&](Bench& b) {
             b.Replies({"$KTWPS,1,4"});
             b.Task({point, point, point, std::string(119, 'l') + ",EDXX"}); }},
        {"a sentence of 512 characters", [&](Bench& b) {
             b.Task({point, point, point, std::string(120, 'l') + ",EDXX"}); }},
    };
    testing::ExpectGolden(ZR640_DATA_DIR "/transfer/task_upload.log", Play(rows));
}

}  // namespace
}  // namespace zr640
