#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/configuration.h"

namespace zr640 {
namespace {

AppConfig WithLengths(int name1, int name2) {
    AppConfig config;
    config.MaxLaengeName1 = name1;
    config.MaxLaengeName2 = name2;
    return config;
}

std::string Trim(std::string text, int expectedLength) {
    char field[kFieldSize] = {};
    std::strncpy(field, text.c_str(), kFieldSize - 1);
    EXPECT_EQ(TrimField(field), expectedLength) << text;
    return field;
}

TEST(TrimFieldTest, LeadingWhiteSpaceAndTrailingBlanksGo) {
    EXPECT_EQ(Trim("  Lauf-Lillinghof  ", 15), "Lauf-Lillinghof");
    EXPECT_EQ(Trim("\t\n\v\f\r EDQI", 4), "EDQI");
    EXPECT_EQ(Trim(" \t \t ", 0), "");
    EXPECT_EQ(Trim("", 0), "");
    EXPECT_EQ(Trim("EDQI\r", 5), "EDQI\r") << "a trailing carriage return stays";
    EXPECT_EQ(Trim("EDQI\t ", 5), "EDQI\t") << "only blanks go at the end";
    EXPECT_EQ(Trim("\xA0M\xFCnchen", 8), "\xA0M\xFCnchen") << "0xA0 is a letter, not a blank";
}

TEST(ParseWaypointFieldsTest, CommasSplitIntoNineFields) {
    WaypointFields record;
    std::strcpy(record.Field(5), "left over");
    const AppConfig config = WithLengths(255, 255);

    EXPECT_TRUE(ParseWaypointFields("a, b ,c", record, config));
    EXPECT_STREQ(record.Field(1), "a");
    EXPECT_STREQ(record.Field(2), "b");
    EXPECT_STREQ(record.Field(3), "c");
    EXPECT_STREQ(record.Field(5), "") << "every field starts empty";

    EXPECT_TRUE(ParseWaypointFields(",EDQI", record, config));
    EXPECT_STREQ(record.Field(1), "");
    EXPECT_STREQ(record.Field(2), "EDQI");

    EXPECT_TRUE(ParseWaypointFields("one,,three,four", record, config));
    EXPECT_STREQ(record.Field(2), "");
    EXPECT_STREQ(record.Field(3), "three");
    EXPECT_STREQ(record.Field(4), "four");

    EXPECT_TRUE(ParseWaypointFields("1,2,3,4,5,6,7,8,9 ,10,11", record, config));
    EXPECT_STREQ(record.Field(8), "8");
    EXPECT_STREQ(record.Field(9), "9");
}

TEST(ParseWaypointFieldsTest, NameAndIdentifierAreCutThenTrimmed) {
    WaypointFields record;
    ParseWaypointFields("Hetzleser Berg,EDQX", record, WithLengths(12, 4));
    EXPECT_STREQ(record.Field(1), "Hetzleser Be");
    EXPECT_STREQ(record.Field(2), "EDQX");

    ParseWaypointFields("Hetzleser Berg,EDQX", record, WithLengths(10, 0));
    EXPECT_STREQ(record.Field(1), "Hetzleser");
    EXPECT_STREQ(record.Field(2), "");

    ParseWaypointFields("  Lauf-Lillinghof  ,  EDQI  ,  Rest  ", record, WithLengths(20, 4));
    EXPECT_STREQ(record.Field(1), "Lauf-Lillinghof");
    EXPECT_STREQ(record.Field(2), "EDQI");
    EXPECT_STREQ(record.Field(3), "Rest");
}

TEST(ParseWaypointFieldsTest, LimitsBeyondAFieldAreSafe) {
    WaypointFields record;
    const std::string longName(300, 'n');
    const std::string longThird(256, 't');
    const std::string line = longName + ",ID," + longThird + ",4";

    EXPECT_FALSE(ParseWaypointFields(line.c_str(), record, WithLengths(1000, 256)));
    EXPECT_EQ(std::string(record.Field(1)), longName.substr(0, 255));
    EXPECT_STREQ(record.Field(2), "ID");
    EXPECT_EQ(std::string(record.Field(3)), longThird.substr(0, 255));
    EXPECT_STREQ(record.Field(4), "4") << "the fields after a long piece are still taken";

    EXPECT_FALSE(ParseWaypointFields(line.c_str(), record, WithLengths(-1, -300)));
    EXPECT_STREQ(record.Field(1), "") << "a negative length empties the field";
    EXPECT_STREQ(record.Field(2), "");

    const std::string fits = std::string(255, 'f') + ",1,2,3,4,5,6,7,8," + longName;
    EXPECT_TRUE(ParseWaypointFields(fits.c_str(), record, WithLengths(255, 4)))
        << "255 characters fit, and text after field 9 is not taken";
    EXPECT_EQ(std::strlen(record.Field(1)), 255u);
}

}  // namespace
}  // namespace zr640
