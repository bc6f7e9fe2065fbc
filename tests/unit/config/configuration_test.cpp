// SPDX-License-Identifier: GPL-3.0-or-later
// LoadConfiguration over the platform's own profile backend (our INI code on Linux, the Windows
// profile functions under Wine): each tests/data/config/<case>.ini becomes zr640.ini in a fresh
// directory, and what the profile file holds and what the tool made of it is compared with
// <case>.txt. Both backends must give the same text. ZR640_REGENERATE_GOLDEN=1 rewrites them.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "config/configuration.h"
#include "config/route.h"
#include "failing_profile_file.h"
#include "platform/quit_request.h"
#include "recording_message_box.h"
#include "test_files.h"
#if defined(_WIN32)
#include "backends/win32/win32_profile_file.h"
using PlatformProfileFile = zr640::platform::Win32ProfileFile;
#else
#include "backends/posix/ini_profile_file.h"
using PlatformProfileFile = zr640::platform::IniProfileFile;
#endif
constexpr char kPathSeparator = static_cast<char>(std::filesystem::path::preferred_separator);

namespace zr640 {
namespace {

namespace fs = std::filesystem;
using testing::Replaced;

// The keys of zr640.ini as the profile file reads them, those that are there; then every
// message box, the quit request and the settings that LoadConfiguration made of the file, and
// the file it wrote, if any (Windows writes no blank line between sections, we do). The working
// directory reads "<dir>" and CR reads "\r".
std::string Dump(const std::string& directory) {
    PlatformProfileFile profile;
    const std::string file = directory + kPathSeparator + kConfigFileName;
    const bool existed = profile.Exists(file.c_str());
    std::ostringstream out;
    for (const auto& [section, key] : {std::pair{"ZR640", "COMSETTINGS"}, {"ZR640", "Device"},
             {"Settings", "Debug"}, {"Settings", "MaxLaengeName1"}, {"Settings", "MaxLaengeName2"},
             {"Settings", "Hoehe"}, {"Settings", "Frequenz"}, {"Strecke", "StreckenPunkt1"},
             {"Strecke", "StreckenPunkt2"}, {"Strecke", "StreckenPunkt3"},
             {"Strecke", "StreckenPunkt4"}}) {
        const std::string value = profile.GetString(section, key, "\x01", file.c_str());
        if (value == "\x01") continue;
        out << "[" << section << "] " << key << " \"" << value << "\" as integer "
            << profile.GetInt(section, key, -7, file.c_str()) << "\n";
    }
    testing::RecordingMessageBox boxes;
    ResetQuitRequest();
    AppConfig c;
    LoadConfiguration(profile, directory, kPathSeparator, c);
    LoadDeviceSetting(profile, c);
    for (const testing::ShownMessage& box : boxes.shown) {
        out << "message, style " << box.style << (box.beepedBefore ? ", beep: [" : ": [")
            << box.caption << "] " << Replaced(box.text, "\n", "\\n") << "\n";
    }
    out << "quit " << (QuitRequested() ? "requested" : "not requested") << ", path "
        << c.ConfigFilePath << "\nCOM" << c.PortNumber << ":" << c.BaudRate << "," << c.Parity
        << "," << c.DataBits << "," << c.StopBits << " Debug " << c.Debug << " MaxLaengeName1 "
        << c.MaxLaengeName1 << " MaxLaengeName2 " << c.MaxLaengeName2 << " Hoehe " << c.Hoehe
        << " Frequenz " << c.Frequenz << " Device " << c.Device << "\n";
    for (int slot = 0; slot < kRouteSlots; ++slot) {
        out << "route slot " << slot << (slot < c.RouteCount ? ": |" : " (empty): |");
        for (int n = 1; n <= kWaypointFieldCount; ++n) out << c.Route.slot[slot].Field(n) << "|";
        out << "\n";
    }
    const std::string written = Replaced(testing::ReadWholeFile(file), "\r\n\r\n", "\r\n");
    if (!existed) out << "written, blank lines left out:\n" << Replaced(written, "\r", "\\r");
    return Replaced(out.str(), directory + kPathSeparator, "<dir>/");
}

void ExpectGolden(const std::string& name, const std::string& dump) {
    testing::ExpectGolden(fs::path(ZR640_CONFIG_DATA_DIR) / (name + ".txt"), dump);
}

// Every case has its dump, and every dump its case: the files here and those made below.
TEST(Configuration, EveryFileGivesItsGoldenDump) {
    std::set<std::string> cases = {"no_file",    "path_255",   "path_256",
                                   "no_directory", "unreadable", "route_written"};
    for (const std::string& name : testing::NamesIn(ZR640_CONFIG_DATA_DIR, ".ini")) {
        SCOPED_TRACE(name);
        cases.insert(name);
        testing::TemporaryDirectory dir;
        fs::copy_file(fs::path(ZR640_CONFIG_DATA_DIR) / (name + ".ini"), dir.File(kConfigFileName));
        ExpectGolden(name, Dump(dir.Path()));
    }
    EXPECT_EQ(testing::NamesIn(ZR640_CONFIG_DATA_DIR, ".txt"), cases);
}

// A directory below `base` whose zr640.ini path is exactly `pathLength` long.
std::string DirectoryForPathLength(const std::string& base, std::size_t pathLength) {
    const std::size_t directoryLength = pathLength - 1 - std::string(kConfigFileName).size();
    std::string directory = base;
    while (directory.size() < directoryLength) {
        const std::size_t room = directoryLength - directory.size() - 1;
        directory += kPathSeparator + std::string(room > 60 ? 40 : room, 'd');
        std::error_code ignored;  // Windows creates no directory beyond 248 characters
        fs::create_directory(directory, ignored);
    }
    return directory;
}

// A missing file is written and read back at the next start, a path of 255 characters is used
// and a longer one refused, and a file that cannot be written or read is said so.
TEST(Configuration, AMissingFileIsWrittenAndReadBackAndOneThatCannotBeIsSaidSo) {
    testing::TemporaryDirectory dir;
    const auto twice = [](const std::string& directory) {
        const std::string created = Dump(directory);
        return created + "again:\n" + Dump(directory);
    };
    ExpectGolden("no_file", twice(dir.Path()));
    for (const std::size_t length : {255, 256}) {
        ExpectGolden("path_" + std::to_string(length),
                     twice(DirectoryForPathLength(dir.Path(), length)));
    }
    ExpectGolden("no_directory", Dump(dir.File("missing")));
    std::error_code ignored;
    fs::remove(dir.File(kConfigFileName), ignored);
    fs::create_directory(dir.File(kConfigFileName));
    ExpectGolden("unreadable", Dump(dir.Path()));
}

// Every key of a file with a route, as the profile file reads it ("-" for one that is absent).
std::string Keys(platform::ProfileFile& profile, const std::string& file) {
    std::string keys;
    for (const auto& [section, key] : {std::pair{"ZR640", "COMSETTINGS"}, {"Strecke", "Kommentar"},
             {"Strecke", "StreckenPunkt1"}, {"Strecke", "StreckenPunkt2"},
             {"Strecke", "StreckenPunkt3"}, {"Strecke", "StreckenPunkt4"}, {"Settings", "Debug"}}) {
        const std::string value = profile.GetString(section, key, "\x01", file.c_str());
        keys += std::string(key) + "=" + (value == "\x01" ? "-" : value) + "\n";
    }
    return keys;
}

// The route written over the platform's profile backend: its keys set, those above removed,
// every other line kept. A write that fails, whichever of the four it is, leaves every key as
// it was and says why; a file that cannot be written at all gives the system's reason.
TEST(Configuration, TheRouteIsWrittenWholeOrNotAtAll) {
    testing::TemporaryDirectory dir;
    const std::string file = dir.File(kConfigFileName);
    const std::string before =
        "[ZR640]\r\nCOMSETTINGS=COM2:9600,N,8,1\r\n[Strecke]\r\nstreckenpunkt1=Alt,A\r\n"
        "StreckenPunkt3=Drei,C\r\nStreckenPunkt4=Vier,D\r\nKommentar=bleibt\r\n"
        "[Settings]\r\nDebug=1\r\n";
    const std::vector<std::string> route = {"Eins,E", "Zwei,Z"};
    PlatformProfileFile profile;
    testing::WriteBytes(file, before);
    const std::string keysBefore = Keys(profile, file);
    for (int failing = 0; failing < 4; ++failing) {
        testing::WriteBytes(file, before);
        testing::FailingProfileFile halfway(profile);
        halfway.failingWrite = failing;
        std::string error;
        EXPECT_FALSE(WriteRoute(halfway, file.c_str(), route, error)) << failing;
        EXPECT_EQ(error, halfway.reason);
        EXPECT_EQ(Keys(profile, file), keysBefore) << failing;
    }
    testing::WriteBytes(file, before);
    std::string error;
    EXPECT_TRUE(WriteRoute(profile, file.c_str(), route, error)) << error;
    const std::string written = Replaced(testing::ReadWholeFile(file), "\r\n\r\n", "\r\n");
    ExpectGolden("route_written", Keys(profile, file) + Replaced(written, "\r", "\\r"));

    fs::create_directory(dir.File("ordner.ini"));
    EXPECT_FALSE(WriteRoute(profile, dir.File("ordner.ini").c_str(), route, error));
    EXPECT_FALSE(error.empty());
#if !defined(_WIN32)
    // A zr640.ini linked from elsewhere: the file it names takes the route, the link stays, and
    // the file keeps who may read it; nothing is left beside it.
    const std::string kept = dir.File("gemeinsam.ini");
    testing::WriteBytes(kept, before);
    fs::permissions(kept, fs::perms::owner_read | fs::perms::owner_write);
    fs::remove(file);
    fs::create_symlink(kept, file);
    EXPECT_TRUE(WriteRoute(profile, file.c_str(), route, error)) << error;
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(fs::status(kept).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(testing::ReadWholeFile(kept).find("Alt,A"), std::string::npos);
    EXPECT_NE(testing::ReadWholeFile(kept).find("StreckenPunkt2=Zwei,Z"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 3);
#endif
}

}  // namespace
}  // namespace zr640
