// ExchangeSentence against replies of any bytes, each after any delay, with the line lost or
// not: the result always says what happened, and the exchange stays within its bounds.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fake_list_view.h"
#include "fake_serial_device.h"
#include "fuzz_support.h"
#include "manual_clock.h"
#include "serial/com_port.h"
#include "serial/sentence.h"

namespace {

using zr640::testing::FakeSerialDevice;
using zr640::testing::ManualClock;
using zr640::testing::ScriptedReply;

// How many of the first `entries` log entries tell of an attempt that failed.
int FailedAttempts(const zr640::testing::RecordedLog& log, std::size_t entries) {
    int count = 0;
    for (std::size_t i = 0; i < entries; ++i) {
        for (const char* failure : {"Response Falsch:", "Keine Antwort nach ",
                                    "Unvollst\xE4ndige Antwort nach "}) {
            count += log.entries[i].rfind(failure, 0) == 0 ? 1 : 0;
        }
    }
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static zr640::fuzz::CountingMessageBox messages;
    FuzzedDataProvider input(data, size);
    const int attempts = input.ConsumeIntegralInRange(1, 3);
    const std::uint32_t timeLimitMs = input.ConsumeIntegralInRange<std::uint32_t>(1, 3000);
    const std::string expected = input.ConsumeRandomLengthString(12);
    ManualClock clock;
    FakeSerialDevice device(&clock);
    while (input.remaining_bytes() > 0 && device.replies.size() < 4) {
        ScriptedReply reply;
        reply.delayMs = input.ConsumeIntegralInRange<std::uint32_t>(0, 4000);
        reply.loseLine = input.ConsumeProbability<float>() < 0.1f;
        reply.bytes = input.ConsumeRandomLengthString(600);
        device.replies.push_back(reply);
    }

    zr640::ComPort record;
    record.device = &device;
    zr640::ComPort* port = zr640::OpenComPort(record, 1, 4800, 'N', 8, 1, 256);
    ZR640_REQUIRE(port != nullptr);
    device.escapes.clear();
    zr640::testing::RecordedLog log;
    zr640::platform::OperationEnvironment operation{&log, clock};
    const std::string sentence = zr640::FrameSentence("$KTWPI,Update");
    const std::uint32_t startMs = clock.NowMs();
    const int result = zr640::ExchangeSentence(operation, port, timeLimitMs, attempts,
                                               sentence.c_str(), expected.c_str());

    const int sent = static_cast<int>(device.writes.size());
    ZR640_REQUIRE(sent >= 1 && sent <= attempts);
    for (const std::string& write : device.writes) ZR640_REQUIRE(write == sentence);
    // RTS up for each attempt, down once at the end.
    ZR640_REQUIRE(device.escapes.size() == static_cast<std::size_t>(sent) + 1);
    ZR640_REQUIRE(device.escapes.back() == zr640::CLRRTS);
    ZR640_REQUIRE(clock.NowMs() - startMs <= static_cast<std::uint32_t>(sent) * timeLimitMs);
    switch (result) {
    case zr640::kExchangeAccepted: {
        // Accepted only what began with the prefix (up to its first zero byte, as the text;
        // the log splits at a line feed), after one failure line for each attempt before.
        const std::string text = expected.c_str();
        ZR640_REQUIRE(!log.entries.empty());
        ZR640_REQUIRE(log.entries.back().rfind(text.substr(0, text.find('\n')), 0) == 0);
        ZR640_REQUIRE(FailedAttempts(log, log.entries.size() - 1) == sent - 1);
        break;
    }
    case zr640::kExchangeWrongReply:
        ZR640_REQUIRE(sent == attempts && log.entries.back().rfind("Response Falsch:", 0) == 0);
        ZR640_REQUIRE(FailedAttempts(log, log.entries.size()) == attempts);
        break;
    case zr640::kExchangeNoReply:
        ZR640_REQUIRE(sent == attempts && FailedAttempts(log, log.entries.size()) == attempts);
        break;
    case zr640::kExchangeOverflow:
    case zr640::kExchangeLineLost:
        break;
    default:
        ZR640_REQUIRE(false);
    }
    ZR640_REQUIRE(messages.shown == 0);
    ZR640_REQUIRE(zr640::CloseComPort(port) == 0);
    return 0;
}
