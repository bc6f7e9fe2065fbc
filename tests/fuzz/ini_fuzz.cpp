// zr640.ini of any bytes: our INI text on its own (setting a key changes that key and nothing
// else that was readable), and LoadConfiguration over the real file.
#include <sys/stat.h>
#include <unistd.h>

#include "platform/quit_request.h"
#include "config/configuration.h"
#include "fuzz_support.h"
#include "backends/posix/ini_profile_file.h"
#include "platform/text/ini_text.h"

namespace {

constexpr const char* kKeys[][2] = {
    {"ZR640", "COMSETTINGS"}, {"ZR640", "Device"},           {"Settings", "Debug"},
    {"Settings", "Hoehe"},    {"Strecke", "StreckenPunkt1"}, {"Strecke", "StreckenPunkt4"}};

void CheckIniText(const std::string& text) {
    const auto& [section, key] = kKeys[text.size() % std::size(kKeys)];
    const std::string value = "COM2:9600,E,7,2";
    zr640::platform::IniText ini(text);
    ZR640_REQUIRE(ini.Set(section, key, value));
    const zr640::platform::IniText before(text);
    const zr640::platform::IniText after(ini.Text());
    for (const auto& [s, k] : kKeys) {
        ZR640_REQUIRE(after.Value(s, k) == (k == key ? value : before.Value(s, k)));
    }
}

void CheckLoadConfiguration(const std::string& text) {
    static zr640::fuzz::CountingMessageBox messages;
    static const std::string directory = "/tmp/zr640-fuzz-ini-" + std::to_string(::getpid());
    ::mkdir(directory.c_str(), 0700);
    std::FILE* file = std::fopen((directory + "/zr640.ini").c_str(), "wb");
    ZR640_REQUIRE(file && std::fwrite(text.data(), 1, text.size(), file) == text.size() &&
                  std::fclose(file) == 0);
    messages.shown = 0;
    zr640::ResetQuitRequest();
    zr640::platform::IniProfileFile profile;
    zr640::AppConfig c;
    zr640::LoadConfiguration(profile, directory, '/', c);
    zr640::LoadDeviceSetting(profile, c);
    std::remove((directory + "/zr640.ini").c_str());
    ::rmdir(directory.c_str());
    // Only a malformed COMSETTINGS entry stops the program, and always with its message.
    ZR640_REQUIRE(messages.shown == (zr640::QuitRequested() ? 1 : 0));
    ZR640_REQUIRE(c.Device.size() <= 255 && c.RouteCount >= 0 && c.RouteCount <= 4);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckIniText(text);
    CheckLoadConfiguration(text);
    return 0;
}
