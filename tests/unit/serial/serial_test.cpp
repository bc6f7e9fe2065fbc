// The port and the exchange over the fake device, row by row against tests/data/serial/*.log.
// After a deliberate change, run with ZR640_REGENERATE_GOLDEN=1 and review the diff.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <utility>

#include "fake_dialog_controls.h"
#include "serial/sentence.h"
#include "test_files.h"
#include "transcript.h"

namespace zr640 {
namespace {

using namespace std::string_literals;
const std::string kSentence = FrameSentence("$KTWPI,Update");

// One fresh port record over a fake device; every operation notes its result in the transcript.
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
    void Close() { Say("CloseComPort", CloseComPort(port)); }
    void Read() { Say("ReadComByte", ReadComByte(port)); }
    void Write(const std::string& s) {
        Say("WriteComBlock", WriteComBlock(port, reinterpret_cast<const std::uint8_t*>(s.data()),
                                           static_cast<int>(s.size())));
    }
    void Reply(const std::string& bytes, std::uint32_t delayMs = 0, bool loseLine = false) {
        device.replies.push_back({bytes, delayMs, loseLine});
    }
    void Exchange(const char* prefix = "$KTWPO", int attempts = kExchangeAttempts) {
        transcript.Note("ExchangeSentence -> " + std::to_string(ExchangeSentence(
            operation, port, ReplyTimeoutMs, attempts, kSentence.c_str(), prefix)));
    }

    testing::RecordingMessageBox boxes;
    testing::ManualClock clock;
    testing::FakeSerialDevice device{&clock};
    testing::FakeDialogControls controls;
    testing::Transcript transcript{device, clock, boxes};
    platform::OperationEnvironment operation{&transcript, clock};
    ComPort record;
    ComPort* port = nullptr;
};

using Row = std::pair<std::string, std::function<void(Bench&)>>;

// Each row on a fresh bench, its transcript under its name.
std::string Play(const std::vector<Row>& rows, bool everyCall, bool openFirst = false) {
    std::string story;
    for (const auto& [name, run] : rows) {
        Bench bench;
        if (openFirst) bench.Open(), bench.transcript.Take();
        run(bench);
        story += "== " + name + "\n" + bench.transcript.Take(everyCall);
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
        {"a failing close keeps the port, a failing restore does not", [](Bench& b) {
             b.Open(), b.device.failing = {"Close"}, b.Close();
             b.device.failing = {"SetTimeouts"}, b.Close(); }},
        {"reads 0..255, lights RX, a failing mask shown once", [](Bench& b) {
             b.Open(), b.Read(), b.device.Feed("\xFF\x00"s), b.Read(), b.Read(), b.Read();
             b.device.failing = {"SetEventMask"}, b.device.Feed("x");
             b.Read(), b.Read(); }},
        {"a ring left by a failed opening is resized, its positions wrap", [](Bench& b) {
             b.device.failing = {"Open"}, b.Open(1, 4), b.device.failing.clear();
             b.Open(1, 8);
             for (char c = 'a'; c < 'k'; ++c) b.device.Feed({c}), b.Read(); }},
        {"writes after a purge, says what the device took, lights TX", [](Bench& b) {
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
    testing::ExpectGolden(ZR640_SERIAL_GOLDEN_DIR "/com_port.log", Play(rows, true));
}

TEST(SentenceExchange, EveryReplyGivesItsGoldenLinesAttemptsAndResult) {
    const std::vector<Row> rows = {
        {"accepted at once", [](Bench& b) { b.Reply("$KTWPO,1\r\n"), b.Exchange(); }},
        {"three wrong replies", [](Bench& b) {
             b.Reply("$KTWPX\r\n"), b.Reply("$KTWPX\r\n"), b.Reply("$KTWPX\r\n"), b.Exchange(); }},
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
        {"silent", [](Bench& b) { b.Exchange(); }},
        {"the last attempt decides", [](Bench& b) {
             b.Reply("$BAD\r\n"), b.Exchange(), b.Reply(""), b.Reply(""), b.Reply("$BAD\r\n");
             b.Exchange(); }},
        {"late and incomplete replies", [](Bench& b) {
             b.Reply("$KTWPO\r\n", 1500), b.Exchange(), b.Reply("$KTWPO\r\n", 2100), b.Exchange();
             b.Reply("$KTW"), b.Exchange("$KTWPO", 1); }},
        {"line lost", [](Bench& b) {
             b.Reply("$KT", 500, true), b.Reply("$KTWPO\r\n"), b.Exchange(); }},
        {"cancelled while waiting", [](Bench& b) {
             b.Reply("$KTWPO\r\n", 1000), b.device.onWait = [&b] {
                 b.operation.Cancel(), b.transcript.Note("cancel"), b.device.onWait = {}; };
             b.Exchange(); }},
        {"no port", [](Bench& b) { b.port = nullptr, b.Exchange(); }},
    };
    testing::ExpectGolden(ZR640_SERIAL_GOLDEN_DIR "/exchange.log", Play(rows, false, true));
}

}  // namespace
}  // namespace zr640
