// SPDX-License-Identifier: GPL-3.0-or-later
// zr640.ini of any bytes: our INI text on its own (setting a key changes that key and nothing
// else that was readable), and LoadConfiguration over the real file.
#include "backends/posix/ini_profile_file.h"
#include "config/configuration.h"
#include "fuzz_support.h"
#include "platform/quit_request.h"
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

// Only a malformed COMSETTINGS entry stops the program, and always with its message.
void CheckLoadConfiguration(const std::string& text) {
    const zr640::fuzz::FileOnDisk file("zr640.ini", text.data(), text.size());
    zr640::fuzz::messages.shown.clear();
    zr640::ResetQuitRequest();
    zr640::platform::IniProfileFile profile;
    zr640::AppConfig c;
    zr640::LoadConfiguration(profile, file.directory, '/', c);
    zr640::LoadDeviceSetting(profile, c);
    ZR640_REQUIRE(zr640::fuzz::messages.shown.size() == (zr640::QuitRequested() ? 1u : 0u));
    ZR640_REQUIRE(c.Device.size() <= 255 && c.RouteCount >= 0 && c.RouteCount <= 4);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckIniText(text);
    CheckLoadConfiguration(text);
    return 0;
}
