// SPDX-License-Identifier: GPL-3.0-or-later
// ExchangeSentence against up to four replies of any bytes, delays and lost lines: the sentence
// goes out whole with RTS up, RTS ends down, and time, result and log lines agree.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

#include "fake_list_view.h"
#include "fuzz_support.h"
#include "serial/sentence.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zr640;
    FuzzedDataProvider input(data, size);
    const int attempts = input.ConsumeIntegralInRange(1, 3);
    const std::uint32_t limitMs = input.ConsumeIntegralInRange<std::uint32_t>(1, 3000);
    const std::string expected = input.ConsumeRandomLengthString(12);
    fuzz::FakeLine line;
    while (input.remaining_bytes() > 0 && line.device.replies.size() < 4) {
        testing::ScriptedReply& reply = line.device.replies.emplace_back();
        reply.delayMs = input.ConsumeIntegralInRange<std::uint32_t>(0, 4000);
        reply.loseLine = input.ConsumeProbability<float>() < 0.1f;
        reply.bytes = input.ConsumeRandomLengthString(600);
    }
    line.device.escapes.clear();
    testing::RecordedLog log;
    platform::OperationEnvironment operation{&log, line.clock};
    const std::string sentence = FrameSentence("$KTWPI,Update");
    const std::uint32_t startMs = line.clock.NowMs();
    const int result = ExchangeSentence(operation, line.port, limitMs, attempts, sentence.c_str(),
                                        expected.c_str());

    const int sent = static_cast<int>(line.device.writes.size());
    ZR640_REQUIRE(sent >= 1 && sent <= attempts);
    ZR640_REQUIRE(std::ranges::count(line.device.writes, sentence) == sent);
    ZR640_REQUIRE(line.device.escapes.size() == sent + 1u && line.device.escapes.back() == CLRRTS);
    ZR640_REQUIRE(line.clock.NowMs() - startMs <= static_cast<std::uint32_t>(sent) * limitMs);
    // The log lines of failed attempts, but for the last `leftOut` lines.
    const auto failed = [&log](long leftOut) {
        return std::count_if(log.entries.begin(), log.entries.end() - leftOut, [](auto& entry) {
            return entry.starts_with("Response Falsch:") || entry.starts_with("Keine ") ||
                   entry.starts_with("Unvollst");
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
    ZR640_REQUIRE(fuzz::messages.shown.empty() && CloseComPort(line.port) == 0);
    return 0;
}
