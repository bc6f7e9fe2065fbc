// The rules of the profile file, run against the platform's backend: our own INI code on
// Linux, the Windows private-profile functions under Wine. Both must answer alike.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "profile_file_backend.h"

namespace zr640 {
namespace {

using testing::ReadBytes;
using testing::TemporaryDirectory;
using testing::WriteBytes;

class ProfileFileRules : public ::testing::Test {
protected:
    std::string WithFile(const std::string& bytes) {
        WriteBytes(path, bytes);
        return path;
    }
    std::string Get(const char* section, const char* key, const char* fallback = "-") {
        return profile->GetString(section, key, fallback, path.c_str());
    }
    int Int(const char* key, int fallback = -7) {
        return profile->GetInt("Settings", key, fallback, path.c_str());
    }

    TemporaryDirectory directory;
    std::string path = directory.File("zr640.ini");
    std::unique_ptr<platform::ProfileFile> profile = testing::MakePlatformProfileFile();
};

TEST_F(ProfileFileRules, MissingFileOrKeyGivesTheFallback) {
    EXPECT_FALSE(profile->Exists(path.c_str()));
    EXPECT_EQ(Get("ZR640", "COMSETTINGS", "COM1:4800,N,8,1"), "COM1:4800,N,8,1");
    EXPECT_EQ(Int("MaxLaengeName1", 8), 8);
    EXPECT_FALSE(profile->Exists(path.c_str())) << "reading must not create the file";

    WithFile("[ZR640]\r\nCOMSETTINGS=COM2:9600,E,7,2\r\n");
    EXPECT_TRUE(profile->Exists(path.c_str()));
    EXPECT_TRUE(profile->Exists(directory.Path().c_str()));
    EXPECT_EQ(Get("ZR640", "Device", ""), "");
    EXPECT_EQ(Get("Strecke", "COMSETTINGS", "none"), "none");
    EXPECT_EQ(Int("Debug", 0), 0);
}

TEST_F(ProfileFileRules, NamesMatchWithoutRegardToCaseAndValuesAreTrimmed) {
    WithFile("  [zr640]\r\n"
             "  comSettings   =   COM2:9600,E,7,2  \t\r\n"
             "[SETTINGS]\r\n"
             "maxlaengename1=  10  \r\n"
             "Hoehe=0\n");
    EXPECT_EQ(Get("ZR640", "COMSETTINGS"), "COM2:9600,E,7,2");
    EXPECT_EQ(Get("zr640", "comsettings"), "COM2:9600,E,7,2");
    EXPECT_EQ(Int("MaxLaengeName1"), 10);
    EXPECT_EQ(Int("HOEHE"), 0);
}

TEST_F(ProfileFileRules, FirstSectionAndFirstKeyOfANameCount) {
    WithFile("[Strecke]\r\n"
             "StreckenPunkt1=first\r\n"
             "StreckenPunkt1=second\r\n"
             "[Other]\r\n"
             "StreckenPunkt2=elsewhere\r\n"
             "[Strecke]\r\n"
             "StreckenPunkt3=in the second section\r\n");
    EXPECT_EQ(Get("Strecke", "StreckenPunkt1"), "first");
    EXPECT_EQ(Get("Strecke", "StreckenPunkt2"), "-");
    EXPECT_EQ(Get("Strecke", "StreckenPunkt3"), "-");
}

TEST_F(ProfileFileRules, IntegersAreReadAsWindowsReadsThem) {
    WithFile("[Settings]\r\n"
             "Plain=12\r\n"
             "Trailing=7abc\r\n"
             "Word=abc\r\n"
             "Empty=\r\n"
             "Negative=-5\r\n"
             "Plus=+3\r\n"
             "LeadingZero=010\r\n"
             "Hex=0x1A\r\n"
             "UpperHex=0X1A\r\n"
             "NegativeHex=-0x10\r\n"
             "Octal=0o17\r\n"
             "Binary=0b101\r\n"
             "BadBinary=0b2\r\n"
             "Fraction=2.9\r\n"
             "Quoted=\"42\"\r\n"
             "Wrapped=4294967298\r\n"
             "TooLong=12345678901234567890123456789012\r\n");
    EXPECT_EQ(Int("Plain"), 12);
    EXPECT_EQ(Int("Trailing"), 7);
    EXPECT_EQ(Int("Word"), 0);
    EXPECT_EQ(Int("Empty"), -7);
    EXPECT_EQ(Int("Negative"), -5);
    EXPECT_EQ(Int("Plus"), 3);
    EXPECT_EQ(Int("LeadingZero"), 10);
    EXPECT_EQ(Int("Hex"), 26);
    EXPECT_EQ(Int("UpperHex"), 0);
    EXPECT_EQ(Int("NegativeHex"), -16);
    EXPECT_EQ(Int("Octal"), 15);
    EXPECT_EQ(Int("Binary"), 5);
    EXPECT_EQ(Int("BadBinary"), 0);
    EXPECT_EQ(Int("Fraction"), 2);
    EXPECT_EQ(Int("Quoted"), 42);
    EXPECT_EQ(Int("Wrapped"), 2);
    // Only the first 29 characters are converted, modulo 2^32.
    EXPECT_EQ(Int("TooLong"), 1849262357);
    EXPECT_EQ(Int("Absent"), -7);
}

TEST_F(ProfileFileRules, ValuesAreCutTo255CharactersAndLoseEnclosingQuotes) {
    const std::string longValue = std::string(200, 'x') + std::string(200, 'y');
    WithFile("[Strecke]\r\n"
             "Long=" + longValue + "\r\n"
             "Quoted=\"  Hetzleser Berg,EDQX  \"\r\n"
             "Single='Bayreuth,EDQD'\r\n"
             "Unbalanced=\"Bayreuth,EDQD\r\n"
             "Lone='\r\n"
             "Empty=\r\n");
    EXPECT_EQ(Get("Strecke", "Long"), longValue.substr(0, 255));
    EXPECT_EQ(Get("Strecke", "Quoted"), "  Hetzleser Berg,EDQX  ");
    EXPECT_EQ(Get("Strecke", "Single"), "Bayreuth,EDQD");
    EXPECT_EQ(Get("Strecke", "Unbalanced"), "\"Bayreuth,EDQD");
    EXPECT_EQ(Get("Strecke", "Lone"), "'");
    EXPECT_EQ(Get("Strecke", "Empty"), "");
}

TEST_F(ProfileFileRules, WritingCreatesFileSectionAndKeyAndKeepsTheRest) {
    ASSERT_TRUE(profile->WriteString("ZR640", "COMSETTINGS", "COM1:4800,N,8,1", path.c_str()));
    EXPECT_TRUE(profile->Exists(path.c_str()));
    ASSERT_TRUE(profile->WriteString("Settings", "Debug", "0", path.c_str()));
    ASSERT_TRUE(profile->WriteString("ZR640", "Device", "/dev/ttyUSB0", path.c_str()));
    ASSERT_TRUE(profile->WriteString("settings", "DEBUG", "1", path.c_str()));

    EXPECT_EQ(Get("ZR640", "COMSETTINGS"), "COM1:4800,N,8,1");
    EXPECT_EQ(Get("ZR640", "Device"), "/dev/ttyUSB0");
    EXPECT_EQ(Int("Debug"), 1);

    const std::string text = ReadBytes(path);
    EXPECT_EQ(text.find("DEBUG"), std::string::npos) << "the key keeps its written name";
    EXPECT_LT(text.find("[ZR640]"), text.find("[Settings]"));
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
        ASSERT_GT(at, 0u);
        EXPECT_EQ(text[at - 1], '\r') << "line ends are CR LF";
    }
}

TEST_F(ProfileFileRules, WritingIntoAMissingDirectoryFails) {
    const std::string nowhere = directory.File("missing") + testing::kPathSeparator + "zr640.ini";
    EXPECT_FALSE(profile->WriteString("ZR640", "COMSETTINGS", "COM1:4800,N,8,1", nowhere.c_str()));
    EXPECT_FALSE(profile->Exists(nowhere.c_str()));
}

TEST_F(ProfileFileRules, BadInputLoadsWithFallbacks) {
    std::string junk;
    std::minstd_rand bytes(640);
    for (int i = 0; i < 65536; ++i) {
        junk += static_cast<char>(bytes() % 256);
    }
    WithFile(junk);
    EXPECT_EQ(Get("ZR640", "COMSETTINGS"), "-");
    EXPECT_EQ(Int("Debug"), -7);

    WithFile(junk + "\r\n[ZR640]\r\nCOMSETTINGS=COM3:19200,O,7,1\r\n");
    EXPECT_EQ(Get("ZR640", "COMSETTINGS"), "COM3:19200,O,7,1") << "junk before a section";

    WithFile("COMSETTINGS=COM3:19200,O,7,1\r\nDebug=1\r\n");
    EXPECT_EQ(Get("ZR640", "COMSETTINGS"), "-") << "no sections";
    EXPECT_EQ(Int("Debug"), -7);

    WithFile("\xEF\xBB\xBF[ZR640]\r\nCOMSETTINGS=COM4:2400,N,8,1\r\n"
             "[Strecke]\r\nStreckenPunkt1=M\xC3\xBC" "nchen,EDMM\r\n");
    EXPECT_EQ(Get("ZR640", "COMSETTINGS"), "COM4:2400,N,8,1") << "UTF-8 byte-order mark";
    EXPECT_EQ(Get("Strecke", "StreckenPunkt1"), "M\xFC" "nchen,EDMM");

    WithFile("[Settings]\r\nDebug\r\nHoehe 0\r\n;Frequenz=0\r\n[Strecke\r\nStreckenPunkt1=x\r\n");
    EXPECT_EQ(Int("Debug"), -7) << "a key without '='";
    EXPECT_EQ(Int("Hoehe"), -7);
    EXPECT_EQ(Int("Frequenz"), -7) << "a comment line is no key";
    EXPECT_EQ(Get("Settings", "StreckenPunkt1"), "x") << "'[' without ']' opens no section";

    const std::string longLine(1 << 20, 'L');
    WithFile("[Settings]\r\n" + longLine + "\r\nDebug=" + longLine + "\r\nHoehe=0\r\n[" + longLine +
             "]\r\n");
    EXPECT_EQ(Int("Hoehe"), 0) << "very long lines";
    EXPECT_EQ(Get("Settings", "Debug"), longLine.substr(0, 255));
}

}  // namespace
}  // namespace zr640
