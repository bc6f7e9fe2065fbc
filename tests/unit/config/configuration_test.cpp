// LoadConfiguration over the platform's real profile-file backend in a temporary directory.
#include "config/configuration.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <system_error>
#include <sstream>
#include <string>
#include <vector>

#include "platform/quit_request.h"
#include "profile_file_backend.h"
#include "recording_message_box.h"

namespace zr640 {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using testing::ReadBytes;
using testing::RecordingMessageBox;
using testing::TemporaryDirectory;
using testing::WriteBytes;

const char* const kCreatedText =
    "\n\nDie Ini-Datei wurde in\n%s nicht gefunden.\n\nEine Datei mit Defaulteinstellungen "
    "wurde angelegt.\n\nBitte auf aktuelle Einstellungen hin editieren!\n\nProgramm wird "
    "beendet!";

std::string CreatedMessage(const std::string& path) {
    const std::string text = kCreatedText;
    const std::size_t at = text.find("%s");
    return text.substr(0, at) + path + text.substr(at + 2);
}

// The file's lines without their line ends, blank lines left out.
std::vector<std::string> ContentLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

std::vector<std::string> RouteNames(const AppConfig& config) {
    std::vector<std::string> names;
    for (int slot = 0; slot < config.RouteCount; ++slot) {
        const WaypointFields& point = config.Route.slot[static_cast<std::size_t>(slot)];
        names.push_back(std::string(point.Field(1)) + "|" + point.Field(2));
    }
    return names;
}

class LoadConfigurationTest : public ::testing::Test {
protected:
    void SetUp() override { ResetQuitRequest(); }
    void TearDown() override { ResetQuitRequest(); }

    AppConfig Load(const std::string& workingDirectory) {
        AppConfig config;
        LoadConfiguration(*profile, workingDirectory, testing::kPathSeparator, config);
        return config;
    }
    AppConfig LoadFile(const std::string& bytes) {
        WriteBytes(iniPath, bytes);
        return Load(directory.Path());
    }

    RecordingMessageBox box;
    TemporaryDirectory directory;
    std::string iniPath = directory.File("zr640.ini");
    std::unique_ptr<platform::ProfileFile> profile = testing::MakePlatformProfileFile();
};

TEST_F(LoadConfigurationTest, MissingFileIsWrittenWithTheDefaultsThenQuits) {
    const AppConfig config = Load(directory.Path());

    EXPECT_EQ(config.ConfigFilePath, iniPath);
    EXPECT_THAT(ContentLines(ReadBytes(iniPath)),
                ElementsAre("[ZR640]", "COMSETTINGS=COM1:4800,N,8,1", "[Settings]", "Debug=0",
                            "MaxLaengeName1=12", "MaxLaengeName2=4", "Hoehe=1", "Frequenz=1",
                            "[Strecke]", "StreckenPunkt1=Lauf-Lillinghof,EDQI",
                            "StreckenPunkt2=Oschersleben,EDOL",
                            "StreckenPunkt3=Hetzleser Berg,EDQX",
                            "StreckenPunkt4=Bayreuth,EDQD"));
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].caption, "Ini-Datei nicht gefunden!");
    EXPECT_EQ(box.shown[0].text, CreatedMessage(iniPath));
    EXPECT_EQ(box.shown[0].style, 16u);
    EXPECT_TRUE(box.shown[0].beepedBefore);
    EXPECT_TRUE(QuitRequested());
    // Nothing is read from the new file: the built-in values stay.
    EXPECT_EQ(config.MaxLaengeName1, 8);
    EXPECT_EQ(config.RouteCount, 0);
}

TEST_F(LoadConfigurationTest, SeparatorIsAppendedEvenAfterOne) {
    const std::string withSeparator = directory.Path() + testing::kPathSeparator;
    const AppConfig config = Load(withSeparator);
    EXPECT_EQ(config.ConfigFilePath, withSeparator + testing::kPathSeparator + "zr640.ini");
    EXPECT_TRUE(profile->Exists(iniPath.c_str()));
}

TEST_F(LoadConfigurationTest, FreshFileReadsBackAsTheDefaults) {
    Load(directory.Path());
    box.shown.clear();
    ResetQuitRequest();

    const AppConfig config = Load(directory.Path());
    EXPECT_TRUE(box.shown.empty());
    EXPECT_FALSE(QuitRequested());
    EXPECT_EQ(config.MaxLaengeName1, 12);
    EXPECT_EQ(config.MaxLaengeName2, 4);
    EXPECT_FALSE(config.Debug);
    EXPECT_TRUE(config.Hoehe);
    EXPECT_TRUE(config.Frequenz);
    EXPECT_EQ(config.PortNumber, 1);
    EXPECT_EQ(config.BaudRate, 4800);
    EXPECT_EQ(config.Parity, 'N');
    EXPECT_EQ(config.DataBits, 8);
    EXPECT_EQ(config.StopBits, 1);
    EXPECT_THAT(RouteNames(config), ElementsAre("Lauf-Lilling|EDQI", "Oschersleben|EDOL",
                                                "Hetzleser Be|EDQX", "Bayreuth|EDQD"));
    EXPECT_EQ(config.Device, "");
}

TEST_F(LoadConfigurationTest, AbsentKeysGiveTheirFallbacks) {
    AppConfig config = LoadFile("[Settings]\r\nMaxLaengeName2=6\r\n");
    EXPECT_EQ(config.MaxLaengeName1, 8);
    EXPECT_EQ(config.MaxLaengeName2, 6);
    EXPECT_FALSE(config.Debug);
    EXPECT_TRUE(config.Hoehe);
    EXPECT_TRUE(config.Frequenz);
    EXPECT_EQ(config.PortNumber, 1);
    EXPECT_EQ(config.BaudRate, 4800);
    EXPECT_EQ(config.RouteCount, 0);
    EXPECT_TRUE(box.shown.empty());
    EXPECT_FALSE(QuitRequested());
}

TEST_F(LoadConfigurationTest, SwitchesAreOnWhenNotZero) {
    AppConfig config = LoadFile("[Settings]\r\nDebug=2\r\nHoehe=0\r\nFrequenz=-1\r\n");
    EXPECT_TRUE(config.Debug);
    EXPECT_FALSE(config.Hoehe);
    EXPECT_TRUE(config.Frequenz);

    config = LoadFile("[Settings]\r\nDebug=0\r\nHoehe=7\r\nFrequenz=0\r\n");
    EXPECT_FALSE(config.Debug);
    EXPECT_TRUE(config.Hoehe);
    EXPECT_FALSE(config.Frequenz);
}

TEST_F(LoadConfigurationTest, RouteSlotsFillWithoutGaps) {
    const AppConfig config = LoadFile("[Strecke]\r\n"
                                      "StreckenPunkt1=Lauf-Lillinghof,EDQI\r\n"
                                      "StreckenPunkt2=\r\n"
                                      "StreckenPunkt3=Hetzleser Berg,EDQX\r\n"
                                      "StreckenPunkt4=Bayreuth,EDQD\r\n");
    EXPECT_EQ(config.RouteCount, 3);
    EXPECT_THAT(RouteNames(config),
                ElementsAre("Lauf-Lil|EDQI", "Hetzlese|EDQX", "Bayreuth|EDQD"));
    EXPECT_STREQ(config.Route.slot[3].Field(1), "");

    const AppConfig lastOnly = LoadFile("[Strecke]\r\nStreckenPunkt4=Bayreuth,EDQD\r\n");
    EXPECT_THAT(RouteNames(lastOnly), ElementsAre("Bayreuth|EDQD"));
}

TEST_F(LoadConfigurationTest, RoutePointsAreTrimmedAndCut) {
    const AppConfig config = LoadFile("[Settings]\r\n"
                                      "MaxLaengeName1=10\r\n"
                                      "[Strecke]\r\n"
                                      "StreckenPunkt1=  Lauf-Lillinghof  ,EDQI\r\n"
                                      "StreckenPunkt2=Hetzleser Berg,  EDQX\r\n"
                                      "StreckenPunkt3=,EDQI\r\n");
    EXPECT_THAT(RouteNames(config), ElementsAre("Lauf-Lilli|EDQI", "Hetzleser|EDQX", "|EDQI"));
}

TEST_F(LoadConfigurationTest, LengthsOutsideAFieldAreStoredAsReadAndCutSafely) {
    const AppConfig config = LoadFile("[Settings]\r\n"
                                      "MaxLaengeName1=300\r\n"
                                      "MaxLaengeName2=-3\r\n"
                                      "[Strecke]\r\n"
                                      "StreckenPunkt1=Lauf-Lillinghof,EDQI\r\n");
    EXPECT_EQ(config.MaxLaengeName1, 300);
    EXPECT_EQ(config.MaxLaengeName2, -3);
    EXPECT_THAT(RouteNames(config), ElementsAre("Lauf-Lillinghof|"));
}

TEST_F(LoadConfigurationTest, MalformedComSettingsStillLoadsTheRest) {
    const AppConfig config = LoadFile("[ZR640]\r\n"
                                      "COMSETTINGS=COM3:9600,E,7\r\n"
                                      "[Settings]\r\n"
                                      "MaxLaengeName1=12\r\n"
                                      "[Strecke]\r\n"
                                      "StreckenPunkt1=Bayreuth,EDQD\r\n");
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].caption, "Fehler im COM-Eintrag in Ini-Datei!");
    EXPECT_EQ(box.shown[0].text, "\n\nEintrag COM3:9600,E,7 fehlerhaft\nProgramm wird beendet!");
    EXPECT_TRUE(QuitRequested());
    EXPECT_EQ(config.PortNumber, 3);
    EXPECT_EQ(config.BaudRate, 9600);
    EXPECT_EQ(config.Parity, 'E');
    EXPECT_EQ(config.DataBits, 7);
    EXPECT_EQ(config.StopBits, 1);
    EXPECT_EQ(config.MaxLaengeName1, 12);
    EXPECT_EQ(config.RouteCount, 1);
}

TEST_F(LoadConfigurationTest, BadFilesLoadWithFallbacks) {
    static const char kJunk[] = "\x00\xFF\x01[\x7F=\xFE]\x00\n=\n[";
    const std::vector<std::string> badFiles = {
        std::string(kJunk, sizeof kJunk - 1),
        "COMSETTINGS=COM9:1,X,1,1\r\nDebug=1\r\n",
        "[Settings]\r\nDebug\r\nMaxLaengeName1\r\n",
        "[Strecke]\r\n" + std::string(100000, ',') + "\r\nStreckenPunkt1\r\n",
    };
    for (const std::string& bytes : badFiles) {
        ResetQuitRequest();
        const AppConfig config = LoadFile(bytes);
        EXPECT_EQ(config.PortNumber, 1);
        EXPECT_EQ(config.BaudRate, 4800);
        EXPECT_FALSE(config.Debug);
        EXPECT_EQ(config.MaxLaengeName1, 8);
        EXPECT_EQ(config.RouteCount, 0);
        EXPECT_FALSE(QuitRequested());
    }
    EXPECT_TRUE(box.shown.empty());

    const AppConfig withMark = LoadFile("\xEF\xBB\xBF[ZR640]\r\nCOMSETTINGS=COM2:9600,E,7,2\r\n");
    EXPECT_EQ(withMark.PortNumber, 2);
}

// A directory below the temporary one whose zr640.ini path is exactly `pathLength` long.
std::string DirectoryForPathLength(const std::string& base, std::size_t pathLength) {
    const std::size_t directoryLength = pathLength - 1 - std::string("zr640.ini").size();
    std::string directory = base;
    while (directory.size() < directoryLength) {
        const std::size_t room = directoryLength - directory.size() - 1;
        // The last step takes what is left, so the length is met exactly.
        const std::size_t name = room > 60 ? 40 : room;
        directory += testing::kPathSeparator + std::string(name, 'd');
        std::error_code ignored;  // Windows creates no directory beyond 248 characters
        std::filesystem::create_directory(directory, ignored);
    }
    return directory;
}

TEST_F(LoadConfigurationTest, PathOf255CharactersIsUsedAndALongerOneRefused) {
    const std::string longest = DirectoryForPathLength(directory.Path(), 255);
    Load(longest);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, CreatedMessage(longest + testing::kPathSeparator + "zr640.ini"));
    ResetQuitRequest();
    const AppConfig config = Load(longest);
    EXPECT_EQ(config.ConfigFilePath.size(), 255u);
    EXPECT_EQ(config.RouteCount, 4);
    EXPECT_FALSE(QuitRequested());

    box.shown.clear();
    const std::string tooLong = DirectoryForPathLength(directory.Path(), 256);
    const std::string path = tooLong + testing::kPathSeparator + "zr640.ini";
    Load(tooLong);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].caption, "Ini-Datei nicht gefunden!");
    EXPECT_EQ(box.shown[0].text, "\n\nDer Pfad der Ini-Datei ist l\xE4nger als 255 Zeichen:\n" +
                                     path + "\n\nProgramm wird beendet!");
    EXPECT_TRUE(QuitRequested());
    EXPECT_FALSE(profile->Exists(path.c_str())) << "nothing is written";
}

TEST_F(LoadConfigurationTest, DefaultFileThatCannotBeWrittenIsNotReportedAsWritten) {
    const std::string missing = directory.File("not-there");
    const AppConfig config = Load(missing);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].caption, "Ini-Datei nicht gefunden!");
    EXPECT_EQ(box.shown[0].text,
              "\n\nDie Ini-Datei wurde in\n" + config.ConfigFilePath +
                  " nicht gefunden.\n\nEine Datei mit Defaulteinstellungen konnte nicht "
                  "angelegt werden!\n\nProgramm wird beendet!");
    EXPECT_TRUE(QuitRequested());
    EXPECT_FALSE(profile->Exists(config.ConfigFilePath.c_str()));
}

TEST_F(LoadConfigurationTest, AFileThatCannotBeReadIsReportedInsteadOfReadAsEmpty) {
    // A directory: root reads a file of mode 000 all the same, a directory no one can read.
    std::filesystem::create_directory(iniPath);
    const AppConfig config = Load(directory.Path());
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].caption, "Ini-Datei nicht lesbar!");
    EXPECT_EQ(box.shown[0].text, "\n\nDie Ini-Datei\n" + iniPath +
                                     "\nl\xE4sst sich nicht lesen.\n\nProgramm wird beendet!");
    EXPECT_TRUE(QuitRequested());
    EXPECT_EQ(config.RouteCount, 0);
}

TEST_F(LoadConfigurationTest, DeviceIsReadOnlyWhenGiven) {
    AppConfig config = LoadFile("[ZR640]\r\nCOMSETTINGS=COM1:4800,N,8,1\r\nDevice= /dev/ttyUSB0 \r\n");
    LoadDeviceSetting(*profile, config);
    EXPECT_EQ(config.Device, "/dev/ttyUSB0");

    config = LoadFile("[ZR640]\r\nCOMSETTINGS=COM1:4800,N,8,1\r\n");
    LoadDeviceSetting(*profile, config);
    EXPECT_EQ(config.Device, "");
}

}  // namespace
}  // namespace zr640
