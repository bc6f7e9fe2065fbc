// Our own INI code beyond what the Windows functions promise: the exact bytes it writes.
#include "platform/text/ini_text.h"

#include <gtest/gtest.h>

#include <string>

#include "backends/posix/ini_profile_file.h"
#include "platform/text/windows_1252.h"
#include "profile_file_backend.h"

namespace zr640::platform {
namespace {

std::string AfterSet(std::string text, const char* section, const char* key, const char* value) {
    IniText ini(std::move(text));
    EXPECT_TRUE(ini.Set(section, key, value));
    return ini.Text();
}

TEST(IniTextTest, NewFileIsWrittenWithCrLfAndABlankLineBetweenSections) {
    std::string text = AfterSet("", "ZR640", "COMSETTINGS", "COM1:4800,N,8,1");
    text = AfterSet(text, "Settings", "Debug", "0");
    text = AfterSet(text, "Settings", "MaxLaengeName1", "12");
    EXPECT_EQ(text,
              "[ZR640]\r\nCOMSETTINGS=COM1:4800,N,8,1\r\n\r\n"
              "[Settings]\r\nDebug=0\r\nMaxLaengeName1=12\r\n");
}

TEST(IniTextTest, EveryOtherByteStaysAsItWas) {
    const std::string original =
        "; Kommentar\n"
        "[Settings]\n"
        "  debug =  1   \n"
        "Hoehe=1\n"
        "\n"
        "[Strecke]\n"
        "StreckenPunkt1=Bayreuth,EDQD";
    EXPECT_EQ(AfterSet(original, "SETTINGS", "Debug", "0"),
              "; Kommentar\n[Settings]\n  debug=0   \nHoehe=1\n\n[Strecke]\n"
              "StreckenPunkt1=Bayreuth,EDQD");
    EXPECT_EQ(AfterSet(original, "Settings", "Frequenz", "1"),
              "; Kommentar\n[Settings]\n  debug =  1   \nHoehe=1\nFrequenz=1\r\n\n[Strecke]\n"
              "StreckenPunkt1=Bayreuth,EDQD");
    EXPECT_EQ(AfterSet(original, "Strecke", "StreckenPunkt2", "Oschersleben,EDOL"),
              "; Kommentar\n[Settings]\n  debug =  1   \nHoehe=1\n\n[Strecke]\n"
              "StreckenPunkt1=Bayreuth,EDQD\r\nStreckenPunkt2=Oschersleben,EDOL\r\n");
    EXPECT_EQ(AfterSet(original, "ZR640", "Device", "/dev/ttyUSB0"),
              original + "\r\n\r\n[ZR640]\r\nDevice=/dev/ttyUSB0\r\n");
    EXPECT_EQ(AfterSet("[Settings]\r\nDebug\r\n", "Settings", "Debug", "2"),
              "[Settings]\r\nDebug=2\r\n");
}

// Found by fuzzing: a CR LF added behind lines that end in CR alone joined them into one line,
// and every key of the file was lost.
TEST(IniTextTest, LinesAddedWhereLinesEndInCarriageReturnsEndSo) {
    const std::string crOnly = "[ZR640]\rCOMSETTINGS=COM2:9600,N,8,1\r[Strecke]\rStreckenPunkt1=A";
    IniText ini(crOnly);
    ASSERT_TRUE(ini.Set("Strecke", "StreckenPunkt2", "B"));
    ASSERT_TRUE(ini.Set("Settings", "Debug", "1"));
    EXPECT_EQ(ini.Text(), crOnly + "\rStreckenPunkt2=B\r\r[Settings]\rDebug=1\r");
    EXPECT_EQ(ini.Value("ZR640", "COMSETTINGS"), "COM2:9600,N,8,1");
    EXPECT_EQ(ini.Value("Strecke", "StreckenPunkt1"), "A");

    // Lines before the last line feed end at line feeds; those behind it at carriage returns.
    EXPECT_EQ(AfterSet("[A]\r\nk=1\r\n[B]\rk=2\r", "A", "n", "3"),
              "[A]\r\nk=1\r\nn=3\r\n[B]\rk=2\r");
    EXPECT_EQ(AfterSet("[A]\r\nk=1\r\n[B]\rk=2\r", "B", "n", "3"),
              "[A]\r\nk=1\r\n[B]\rk=2\rn=3\r");
}

TEST(IniTextTest, TextsThatBreakTheLineAreRefused) {
    IniText ini("[Settings]\r\nDebug=0\r\n");
    EXPECT_FALSE(ini.Set("Settings", "Debug", "1\r\n[Evil]"));
    EXPECT_FALSE(ini.Set("Settings", "De=bug", "1"));
    EXPECT_FALSE(ini.Set("Set\ntings", "Debug", "1"));
    EXPECT_FALSE(ini.Set("  ", "Debug", "1"));
    EXPECT_EQ(ini.Text(), "[Settings]\r\nDebug=0\r\n");
}

TEST(IniTextTest, Utf8FileWithByteOrderMarkIsConverted) {
    const std::string file =
        "\xEF\xBB\xBF[Strecke]\r\nStreckenPunkt1=M\xC3\xBC" "nchen \xE2\x82\xAC \xE2\x98\x83,EDMM\r\n"
        "Broken=\xC3(\xFF\r\n";
    IniText ini(file);
    EXPECT_EQ(ini.Value("strecke", "streckenpunkt1"), "M\xFC" "nchen \x80 ?,EDMM");
    EXPECT_EQ(ini.Value("Strecke", "Broken"), "?(?");
    EXPECT_TRUE(ini.Set("Strecke", "StreckenPunkt2", "\xDC" "berlingen,EDNU"));
    EXPECT_EQ(ini.Text(), file + "StreckenPunkt2=\xC3\x9C" "berlingen,EDNU\r\n");
}

TEST(Windows1252Test, RoundTripsThroughUtf8AndFoldsCase) {
    std::string every;
    for (int byte = 1; byte < 256; ++byte) {
        every += static_cast<char>(byte);
    }
    EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(every)), every);
    EXPECT_EQ(Windows1252ToUtf8("\xB0\x80"), "\xC2\xB0\xE2\x82\xAC");
    EXPECT_EQ(UpperCase1252('\xE4'), '\xC4');
    EXPECT_EQ(UpperCase1252('\xF7'), '\xF7');
    EXPECT_EQ(UpperCase1252('\x9A'), '\x8A');
    EXPECT_EQ(UpperCase1252('1'), '1');
}

TEST(IniProfileFileTest, ADirectoryAtThePathIsNeitherReadNorReplaced) {
    testing::TemporaryDirectory directory;
    IniProfileFile profile;
    const std::string path = directory.Path();
    EXPECT_TRUE(profile.Exists(path.c_str()));
    EXPECT_FALSE(profile.WriteString("ZR640", "COMSETTINGS", "COM1:4800,N,8,1", path.c_str()));
    EXPECT_EQ(profile.GetString("ZR640", "COMSETTINGS", "fallback", path.c_str()), "fallback");
}

}  // namespace
}  // namespace zr640::platform
