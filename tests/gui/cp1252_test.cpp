#include "frontends/qt/cp1252.h"

#include <gtest/gtest.h>

namespace zr640::platform {
namespace {

TEST(Cp1252, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int byte = 1; byte < 256; ++byte) {
        all.push_back(static_cast<char>(byte));
    }
    all.push_back('\0');
    const QString text = FromCp1252(all);
    ASSERT_EQ(text.size(), 256);
    const std::optional<std::string> back = ToCp1252(text);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, all);
}

TEST(Cp1252, MapsTheGermanLettersAndTheHighRange) {
    EXPECT_EQ(FromCp1252("W\xE4hlen"), QString::fromUtf8("W\u00e4hlen"));
    EXPECT_EQ(FromCp1252("\xB0\xDC\xF6\xFC\xDF"), QString::fromUtf8("\u00b0\u00dc\u00f6\u00fc\u00df"));
    EXPECT_EQ(FromCp1252("\x80\x84\x93\x9F"), QString::fromUtf8("\u20ac\u201e\u201c\u0178"));
    // The five bytes without a character become the C1 controls of the same value.
    EXPECT_EQ(FromCp1252("\x81\x8D\x8F\x90\x9D"),
              QString::fromUtf8("\u0081\u008d\u008f\u0090\u009d"));
    EXPECT_EQ(ToCp1252(QString::fromUtf8("S\u00e4tze \u00fcbertragen \u20ac")),
              std::string("S\xE4tze \xFC" "bertragen \x80"));
}

TEST(Cp1252, RefusesCharactersItHasNoByteFor) {
    EXPECT_FALSE(ToCp1252(QString::fromUtf8("\u0141\u00f3d\u017a")).has_value());  // Ł
    EXPECT_FALSE(ToCp1252(QString::fromUtf8("\u0080")).has_value());  // € has its byte
    EXPECT_FALSE(ToCp1252(QString::fromUtf8("Flug \U0001F6E9")).has_value());
    EXPECT_EQ(ToCp1252(QString()), std::string());
}

}  // namespace
}  // namespace zr640::platform
