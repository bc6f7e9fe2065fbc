#include "transfer/upload_sentences.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>

namespace zr640 {
namespace {

WaypointFields Record(std::initializer_list<std::string> fields) {
    WaypointFields record;
    int n = 1;
    for (const std::string& text : fields) {
        std::strncpy(record.Field(n++), text.c_str(), kFieldSize - 1);
    }
    return record;
}

AppConfig Route(std::initializer_list<std::pair<std::string, std::string>> points) {
    AppConfig config;
    for (const auto& [name, code] : points) {
        config.Route.slot[static_cast<std::size_t>(config.RouteCount++)] = Record({name, code});
    }
    return config;
}

TEST(UploadSentences, OpeningAndRecordSentencesAreFramed) {
    EXPECT_EQ(OpeningSentence(UploadMode::Update), "$KTWPI,Update*4C\r\n");
    EXPECT_EQ(OpeningSentence(UploadMode::Replace), "$KTWPI,Replace*31\r\n");
    EXPECT_STREQ(ModeWord(UploadMode::Update), "Update");
    EXPECT_STREQ(ModeWord(UploadMode::Replace), "Replace");

    EXPECT_EQ(RecordSentence(Record({"X", "", "Y"})), "$KTWPU,X,,Y,,,,,,*60\r\n");
    EXPECT_EQ(RecordSentence(WaypointFields{}), "$KTWPU,,,,,,,,,*61\r\n");
    EXPECT_EQ(RecordSentence(Record({"M\xFCnchen Riem", "EDMR", "48.1", "11.7", "520", "WP"})),
              "$KTWPU,M\xFCnchen Riem,EDMR,48.1,11.7,520,WP,,,*89\r\n");

    EXPECT_EQ(RecordReply(UploadMode::Replace, 7), "$KTWPA,7");
    EXPECT_EQ(RecordReply(UploadMode::Replace, 1234), "$KTWPA,1234");
    EXPECT_EQ(RecordReply(UploadMode::Update, 7), "$KTWPA,");
}

TEST(UploadSentences, RecordSentenceMustFitItsBuffer) {
    // "$KTWPU", nine commas and the five characters of checksum and line end: 20 besides the
    // fields, so fields of 491 characters make exactly 511.
    const std::string full(255, 'a');
    const auto longest = RecordSentence(Record({full, std::string(236, 'b')}));
    ASSERT_TRUE(longest.has_value());
    EXPECT_EQ(longest->size(), 511u);
    EXPECT_EQ(longest->substr(0, 8), "$KTWPU,a");
    EXPECT_EQ(longest->substr(longest->size() - 16), "bbbb,,,,,,,*00\r\n");
    EXPECT_FALSE(RecordSentence(Record({full, std::string(237, 'b')})).has_value());
    EXPECT_FALSE(RecordSentence(Record({full, full, full, full, full, full, full, full, full}))
                     .has_value());
}

TEST(UploadSentences, TaskSentenceCarriesFieldsOneAndTwoOfEachPoint) {
    EXPECT_EQ(TaskSentence(AppConfig{}), "$KTWPR,1,1,1*57\r\n");
    EXPECT_EQ(TaskReply(0), "$KTWPS,1,0");
    EXPECT_EQ(TaskSentence(Route({{"Bayreuth", "EDQD"}, {"Oschersleben", "EDOL"}})),
              "$KTWPR,1,1,1,Bayreuth,EDQD,Oschersleben,EDOL*56\r\n");
    EXPECT_EQ(TaskSentence(Route({{"Bayreuth", ""}, {"Oschersleben", "EDOL"}})),
              "$KTWPR,1,1,1,Bayreuth,,Oschersleben,EDOL*42\r\n");
    const auto four = TaskSentence(Route({{"A", "B"}, {"C", "D"}, {"E", "F"}, {"G", "H"}}));
    ASSERT_TRUE(four.has_value());
    EXPECT_EQ(four->substr(0, 28), "$KTWPR,1,1,1,A,B,C,D,E,F,G,H");
    EXPECT_EQ(TaskReply(4), "$KTWPS,1,4");
}

TEST(UploadSentences, TaskSentenceMustFitItsBuffer) {
    // 12 + 4 * (2 + 121) + 5 = 509: names within MaxLaengeName1 + MaxLaengeName2 of 121 fit.
    const std::string name(117, 'n');
    const std::string code(4, 'c');
    const auto fits = TaskSentence(Route({{name, code}, {name, code}, {name, code}, {name, code}}));
    ASSERT_TRUE(fits.has_value());
    EXPECT_EQ(fits->size(), 509u);
    const std::string longer(120, 'n');
    EXPECT_FALSE(TaskSentence(Route({{longer, code}, {longer, code}, {longer, code},
                                     {longer, code}}))
                     .has_value());
}

}  // namespace
}  // namespace zr640
