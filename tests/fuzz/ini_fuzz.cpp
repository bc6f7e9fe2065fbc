// zr640.ini of any bytes: the INI text on its own (every key read, one set and read back) and
// LoadConfiguration over the real file through IniProfileFile, with the route points it parses.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/quit_request.h"
#include "config/app_config.h"
#include "config/configuration.h"
#include "fuzz_support.h"
#include "backends/posix/ini_profile_file.h"
#include "platform/text/ini_text.h"

namespace {

constexpr std::string_view kKeys[][2] = {
    {"ZR640", "COMSETTINGS"},     {"ZR640", "Device"},          {"Settings", "Debug"},
    {"Settings", "MaxLaengeName1"}, {"Settings", "MaxLaengeName2"}, {"Settings", "Hoehe"},
    {"Settings", "Frequenz"},     {"Strecke", "StreckenPunkt1"}, {"Strecke", "StreckenPunkt2"},
    {"Strecke", "StreckenPunkt3"}, {"Strecke", "StreckenPunkt4"},
};

bool IsProfileSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1A'; }
// What TrimField takes from the front of a field: the white space of the C locale.
bool IsLeadingSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// A value that reads back as it was written: one line, nothing to trim at its ends.
std::string WritableValue(std::string_view text) {
    std::string value;
    for (const char c : text.substr(0, 40)) {
        if (c != '\r' && c != '\n') value += c;
    }
    while (!value.empty() && IsProfileSpace(value.front())) value.erase(0, 1);
    while (!value.empty() && IsProfileSpace(value.back())) value.pop_back();
    return value;
}

void CheckIniText(const std::string& text) {
    zr640::platform::IniText ini(text);
    for (const auto& key : kKeys) {
        if (const auto value = ini.Value(key[0], key[1])) {
            ZR640_REQUIRE(value->find('\n') == std::string::npos);
        }
    }
    // Setting a key changes that key and nothing else that was readable before.
    const auto& target = kKeys[text.size() % std::size(kKeys)];
    const std::string value = WritableValue(text);
    ZR640_REQUIRE(ini.Set(target[0], target[1], value));
    ZR640_REQUIRE(ini.Value(target[0], target[1]) == value);
    zr640::platform::IniText reread(ini.Text());
    ZR640_REQUIRE(reread.Value(target[0], target[1]) == value);
    const zr640::platform::IniText before(text);
    for (const auto& key : kKeys) {
        if (&key != &target) {
            ZR640_REQUIRE(reread.Value(key[0], key[1]) == before.Value(key[0], key[1]));
        }
    }
}

// A directory of its own for zr640.ini, removed again when the fuzzer ends.
struct ScratchDirectory {
    ScratchDirectory() {
        char pattern[] = "/tmp/zr640-fuzz-ini-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        ZR640_REQUIRE(made != nullptr);
        path = made;
    }
    ~ScratchDirectory() {
        std::remove((path + "/zr640.ini").c_str());
        ::rmdir(path.c_str());
    }
    std::string path;
};

const std::string& WorkingDirectory() {
    static const ScratchDirectory directory;
    return directory.path;
}

// A route point holds what ParseWaypointFields promises: fields trimmed, names cut.
void CheckRoute(const zr640::AppConfig& config) {
    ZR640_REQUIRE(config.RouteCount >= 0 && config.RouteCount <= zr640::kRouteSlots);
    for (int slot = 0; slot < config.RouteCount; ++slot) {
        const zr640::WaypointFields& point = config.Route.slot[static_cast<std::size_t>(slot)];
        for (int n = 1; n <= zr640::kWaypointFieldCount; ++n) {
            const char* field = point.Field(n);
            const std::size_t length = std::strlen(field);
            ZR640_REQUIRE(length < static_cast<std::size_t>(zr640::kFieldSize));
            ZR640_REQUIRE(length == 0 || (field[length - 1] != ' ' && !IsLeadingSpace(field[0])));
        }
        const auto limit = [](int maximum) {
            return static_cast<std::size_t>(maximum < 0 ? 0 : maximum);
        };
        ZR640_REQUIRE(std::strlen(point.Field(1)) <= limit(config.MaxLaengeName1));
        ZR640_REQUIRE(std::strlen(point.Field(2)) <= limit(config.MaxLaengeName2));
    }
}

void CheckLoadConfiguration(const std::string& text) {
    const std::string path = WorkingDirectory() + "/zr640.ini";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ZR640_REQUIRE(file != nullptr);
    ZR640_REQUIRE(std::fwrite(text.data(), 1, text.size(), file) == text.size());
    ZR640_REQUIRE(std::fclose(file) == 0);

    static zr640::fuzz::CountingMessageBox messages;
    messages.shown = 0;
    zr640::ResetQuitRequest();
    zr640::platform::IniProfileFile profile;
    zr640::AppConfig config;
    zr640::LoadConfiguration(profile, WorkingDirectory(), '/', config);
    zr640::LoadDeviceSetting(profile, config);
    // Only a malformed COMSETTINGS entry stops the program, and always with its message.
    ZR640_REQUIRE(zr640::QuitRequested() == (messages.shown == 1));
    ZR640_REQUIRE(messages.shown <= 1);
    ZR640_REQUIRE(config.Device.size() <= 255);
    CheckRoute(config);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckIniText(text);
    CheckLoadConfiguration(text);
    return 0;
}
