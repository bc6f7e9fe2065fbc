// The event log, one row per way a text becomes entries, and the message box.
#include "platform/event_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fake_list_view.h"
#include "recording_message_box.h"

namespace zr640 {
namespace {

struct LogRow {
    const char* legend;
    int oldEntries;  // in the list before, "old 0" first
    std::string text;
    std::vector<std::string> newest;  // the last entries after it
    std::string oldest = "";          // the first entry after it, when there were old ones
};

const std::string kAlmostFull(kLogBufferSize - 2, 'b');
const LogRow kLogRows[] = {
    {"no line feed: one entry", 0, "Streckenpunkt 1: Lauf-Lilling,EDQI",
     {"Streckenpunkt 1: Lauf-Lilling,EDQI"}},
    {"the empty text: one empty entry", 0, "", {""}},
    {"the separator: two entries of a blank", 0, " \n \n", {" ", " "}},
    {"after the last line feed: dropped", 0, "first\nsecond\nrest", {"first", "second"}},
    {"two line feeds in a row: an empty entry", 0, "a\n\nb\n", {"a", "", "b"}},
    {"a sentence keeps its carriage return", 0, "$KTWPO*1A\r\n", {"$KTWPO*1A\r"}},
    {"the 2000th entry removes nothing", 1999, "line 2000\n", {"line 2000"}, "old 0"},
    {"the 2001st removes the oldest", 2000, "line 2001", {"line 2001"}, "old 1"},
    {"three lines remove three", 2000, "x\ny\nz\n", {"x", "y", "z"}, "old 3"},
    {"cut at 2047 characters", 0, std::string(3000, 'a') + "\nnever seen\n",
     {std::string(2047, 'a')}},
    {"a line feed in the last place still ends its entry", 0, kAlmostFull + "\nc\n",
     {kAlmostFull}},
};

TEST(EventLogTest, EachLineFeedEndsAnEntryAndTheNewest2000Stay) {
    LogPrintf(nullptr, "no log yet\n");
    EventLog unattached;
    LogPrintf(&unattached, "no list yet\n");
    for (const LogRow& row : kLogRows) {
        SCOPED_TRACE(row.legend);
        testing::FakeListView list;
        for (int i = 0; i < row.oldEntries; ++i) list.entries.push_back("old " + std::to_string(i));
        EventLog log(&list);
        LogPrintf(&log, "%s", row.text.c_str());
        const int count = std::min(row.oldEntries + static_cast<int>(row.newest.size()), 2000);
        ASSERT_EQ(list.Count(), count);
        EXPECT_TRUE(std::equal(row.newest.rbegin(), row.newest.rend(), list.entries.rbegin()));
        EXPECT_EQ(list.entries.front(), row.oldEntries > 0 ? row.oldest : row.newest.front());
        EXPECT_EQ(list.selection, count - 1);
        EXPECT_LE(list.peak, 2001);  // the cap acts after each single insertion
    }
}

// The beep before the box shows in every golden file that has a box.
TEST(EventLogTest, AMessageBoxShowsItsTextCutAt1023Characters) {
    testing::RecordingMessageBox box;
    ShowMessage(16, 0, "Fehler", "%s", std::string(5000, 'm').c_str());
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text + "|" + box.shown[0].caption, std::string(1023, 'm') + "|Fehler");
}

}  // namespace
}  // namespace zr640
