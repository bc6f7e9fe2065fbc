// SPDX-License-Identifier: GPL-3.0-or-later
// A waypoint file of any bytes (the first byte sets the name lengths): every line is either
// reported or becomes one sentence of at most 511 characters, with no line end, zero byte or
// dropped text inside it.
#include <cstring>
#include <optional>
#include <utility>

#include "config/configuration.h"
#include "fuzz_support.h"
#include "transfer/upload_sentences.h"
#include "transfer/waypoint_file_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    zr640::AppConfig config;
    config.MaxLaengeName1 = data[0];
    config.MaxLaengeName2 = data[0] % 16;
    const zr640::fuzz::FileOnDisk file("waypoints.wht", data + 1, size - 1);
    zr640::WaypointFileReader reader;
    ZR640_REQUIRE(reader.Open(file.path));
    zr640::WaypointFields record;
    for (long previous = 0; reader.Next() == zr640::WaypointLineStatus::Line;) {
        const std::size_t length = std::strlen(reader.Text());
        ZR640_REQUIRE(length > 0 && length == std::size_t(reader.Length()) &&
                      length <= zr640::kMaxWaypointLineLength);
        ZR640_REQUIRE(std::strpbrk(reader.Text(), "\r\n") == nullptr);
        ZR640_REQUIRE(reader.LineNumber() > std::exchange(previous, reader.LineNumber()));
        const auto sentence = zr640::ParseWaypointFields(reader.Text(), record, config)
                                  ? zr640::RecordSentence(record) : std::nullopt;
        if (!sentence) continue;
        ZR640_REQUIRE(sentence->size() < std::size_t(zr640::kSentenceBufferSize));
        ZR640_REQUIRE(sentence->starts_with("$KTWPU,") && sentence->ends_with("\r\n"));
        ZR640_REQUIRE(sentence->find_first_of(std::string("\r\n\0", 3)) == sentence->size() - 2);
    }
    return 0;
}
