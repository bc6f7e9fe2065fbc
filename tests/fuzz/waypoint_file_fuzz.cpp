// A waypoint file of any bytes: every line is either reported or becomes a sentence of at most
// 511 characters with no line end, zero byte or dropped text inside it.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "config/app_config.h"
#include "config/configuration.h"
#include "transfer/upload_sentences.h"
#include "transfer/waypoint_file_reader.h"

namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

// Removed again when the fuzzer ends.
struct ScratchFile {
    ~ScratchFile() { std::remove(path.c_str()); }
    const std::string path = "/tmp/zr640-fuzz-waypoints-" + std::to_string(::getpid());
};

const std::string& ScratchPath() {
    static const ScratchFile file;
    return file.path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte chooses the name lengths, the rest is the file.
    if (size == 0) return 0;
    zr640::AppConfig config;
    config.MaxLaengeName1 = data[0];
    config.MaxLaengeName2 = data[0] % 16;
    std::FILE* file = std::fopen(ScratchPath().c_str(), "wb");
    Require(file != nullptr);
    std::fwrite(data + 1, 1, size - 1, file);
    std::fclose(file);

    zr640::WaypointFileReader reader;
    Require(reader.Open(ScratchPath()));
    zr640::WaypointFields record;
    long previousLine = 0;
    while (reader.Next() == zr640::WaypointLineStatus::Line) {
        const char* text = reader.Text();
        Require(reader.Length() > 0 && reader.Length() <= zr640::kMaxWaypointLineLength);
        Require(std::strlen(text) == static_cast<std::size_t>(reader.Length()));
        Require(std::strpbrk(text, "\r\n") == nullptr);
        Require(reader.LineNumber() > previousLine);
        previousLine = reader.LineNumber();
        if (!zr640::ParseWaypointFields(text, record, config)) continue;
        const auto sentence = zr640::RecordSentence(record);
        if (!sentence) continue;
        Require(sentence->size() < static_cast<std::size_t>(zr640::kSentenceBufferSize));
        Require(sentence->compare(0, 7, "$KTWPU,") == 0);
        const std::string inner = sentence->substr(0, sentence->size() - 2);
        Require(sentence->substr(sentence->size() - 2) == "\r\n");
        Require(inner.find_first_of(std::string("\r\n\0", 3)) == std::string::npos);
    }
    return 0;
}
