// ExchangeSentence against up to four replies of any bytes, delays and lost lines: the sentence
// goes out whole with RTS up, RTS ends down, and time, result and log lines agree.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

#include "fake_list_view.h"
#include "fake_serial_device.h"
#include "fuzz_support.h"
#include "manual_clock.h"
#include "serial/com_port.h"
#include "serial/sentence.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zr640;
    static fuzz::CountingMessageBox messages;
    FuzzedDataProvider input(data, size);
    const int attempts = input.ConsumeIntegralInRange(1, 3);
    const std::uint32_t limitMs = input.ConsumeIntegralInRange<std::uint32_t>(1, 3000);
    const std::string expected = input.ConsumeRandomLengthString(12);
    testing::ManualClock clock;
    testing::FakeSerialDevice device(&clock);
    while (input.remaining_bytes() > 0 && device.replies.size() < 4) {
        testing::ScriptedReply& reply = device.replies.emplace_back();
        reply.delayMs = input.ConsumeIntegralInRange<std::uint32_t>(0, 4000);
        reply.loseLine = input.ConsumeProbability<float>() < 0.1f;
        reply.bytes = input.ConsumeRandomLengthString(600);
    }
    ComPort record;
    record.device = &device;
    ComPort* port = OpenComPort(record, 1, 4800, 'N', 8, 1, 256);
    ZR640_REQUIRE(port != nullptr);
    device.escapes.clear();
    testing::RecordedLog log;
    platform::OperationEnvironment operation{&log, clock};
    const std::string sentence = FrameSentence("$KTWPI,Update");
    const std::uint32_t startMs = clock.NowMs();
    const int result =
        ExchangeSentence(operation, port, limitMs, attempts, sentence.c_str(), expected.c_str());

    const int sent = static_cast<int>(device.writes.size());
    ZR640_REQUIRE(sent >= 1 && sent <= attempts);
    ZR640_REQUIRE(std::ranges::count(device.writes, sentence) == sent);
    ZR640_REQUIRE(device.escapes.size() == sent + 1u && device.escapes.back() == CLRRTS);
    ZR640_REQUIRE(clock.NowMs() - startMs <= static_cast<std::uint32_t>(sent) * limitMs);
    // The log lines of failed attempts, but for the last `leftOut` lines.
    const auto failed = [&log](long leftOut) {
        return std::count_if(log.entries.begin(), log.entries.end() - leftOut, [](auto& line) {
            return line.starts_with("Response Falsch:") || line.starts_with("Keine ") ||
                   line.starts_with("Unvollst");
        });
    };
    // Accepted only a reply that began with the prefix (up to its first zero byte and line
    // feed), after one failed attempt for each before; refused after `attempts` failed ones.
    const std::string prefix = std::string(expected.c_str()).substr(0, expected.find('\n'));
    const bool failedEachTime = sent == attempts && failed(0) == attempts;
    ZR640_REQUIRE(result != kExchangeAccepted ||
                  (!log.entries.empty() && log.entries.back().starts_with(prefix) &&
                   failed(1) == sent - 1));
    ZR640_REQUIRE(result != kExchangeWrongReply ||
                  (failedEachTime && log.entries.back().starts_with("Response Falsch:")));
    ZR640_REQUIRE(result != kExchangeNoReply || failedEachTime);
    ZR640_REQUIRE(messages.shown == 0 && CloseComPort(port) == 0);
    return 0;
}
