// SPDX-License-Identifier: GPL-3.0-or-later
// Our own INI code beyond what the Windows functions promise: the exact bytes it writes.
#include "platform/text/ini_text.h"

#include <gtest/gtest.h>

#include <string>

namespace zr640::platform {
namespace {

struct SetCase {
    std::string before;
    const char *section, *key, *value;
    std::string after;  // empty: refused, the text stays as it was
};

TEST(IniText, SetsAKeyAndKeepsEveryOtherByte) {
    const std::string lf = "; K\n[Settings]\n  debug =  1   \nHoehe=1\n\n[S]\nk=v";
    const std::string cr = "[ZR640]\rCOMSETTINGS=COM2:9600,N,8,1\r[S]\rk=A";
    const SetCase cases[] = {
        {"", "ZR640", "COMSETTINGS", "COM1", "[ZR640]\r\nCOMSETTINGS=COM1\r\n"},
        {"[ZR640]\r\nX=1\r\n", "S", "k", "0", "[ZR640]\r\nX=1\r\n\r\n[S]\r\nk=0\r\n"},
        {lf, "SETTINGS", "Debug", "0", "; K\n[Settings]\n  debug=0   \nHoehe=1\n\n[S]\nk=v"},
        {lf, "Settings", "F", "1", "; K\n[Settings]\n  debug =  1   \nHoehe=1\nF=1\r\n\n[S]\nk=v"},
        {lf, "S", "n", "2", lf + "\r\nn=2\r\n"},
        {"[Settings]\r\nDebug\r\n", "Settings", "Debug", "2", "[Settings]\r\nDebug=2\r\n"},
        // Found by fuzzing: a CR LF added behind lines that end in CR alone joined them all.
        {cr, "S", "n", "B", cr + "\rn=B\r"},
        {cr, "Settings", "Debug", "1", cr + "\r\r[Settings]\rDebug=1\r"},
        {"[A]\r\nk=1\r\n[B]\rk=2\r", "A", "n", "3", "[A]\r\nk=1\r\nn=3\r\n[B]\rk=2\r"},
        {"[A]\r\nk=1\r\n[B]\rk=2\r", "B", "n", "3", "[A]\r\nk=1\r\n[B]\rk=2\rn=3\r"},
        {"\xEF\xBB\xBF[S]\r\n", "S", "k", "\xDC", "\xEF\xBB\xBF[S]\r\nk=\xC3\x9C\r\n"},
        {"[S]\r\nk=0\r\n", "S", "k", "1\r\n[Evil]", ""},
        {"[S]\r\nk=0\r\n", "S", "k=", "1", ""},
        {"[S]\r\nk=0\r\n", "S\nS", "k", "1", ""},
        {"[S]\r\nk=0\r\n", "  ", "k", "1", ""},
    };
    for (const SetCase& c : cases) {
        IniText ini(c.before);
        EXPECT_EQ(ini.Set(c.section, c.key, c.value), !c.after.empty()) << c.before;
        EXPECT_EQ(ini.Text(), c.after.empty() ? c.before : c.after) << c.before;
        if (!c.after.empty()) {
            EXPECT_EQ(IniText(ini.Text()).Value(c.section, c.key), c.value);
        }
    }
}

// Removing a key takes its line and nothing else; the first of its name counts, in the first
// section of that name, and a key or section that is not there is no failure.
TEST(IniText, RemovesAKeysLineAndKeepsEveryOtherByte) {
    const std::string ini = "[A]\r\nk=1\r\nK=2\r\n[B]\r\nk=3\r\n";
    const SetCase cases[] = {
        {ini, "a", "K", nullptr, "[A]\r\nK=2\r\n[B]\r\nk=3\r\n"},
        {ini, "B", "k", nullptr, "[A]\r\nk=1\r\nK=2\r\n[B]\r\n"},
        {ini, "B", "x", nullptr, ini},
        {ini, "C", "k", nullptr, ini},
        {"[S]\nx=1\ny=2", "S", "y", nullptr, "[S]\nx=1\n"},
        {"\xEF\xBB\xBF[S]\r\n\xC3\x9C=1\r\nz=2\r\n", "S", "\xFC", nullptr,
         "\xEF\xBB\xBF[S]\r\nz=2\r\n"},
    };
    for (const SetCase& c : cases) {
        IniText text(c.before);
        text.Remove(c.section, c.key);
        EXPECT_EQ(text.Text(), c.after) << c.before;
    }
}

}  // namespace
}  // namespace zr640::platform
