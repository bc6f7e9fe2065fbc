// SPDX-License-Identifier: GPL-3.0-or-later
// The event log, one row per way a text becomes entries, against tests/data/app/event_log.log
// (ZR640_REGENERATE_GOLDEN=1 rewrites it), and the message box.
#include "platform/event_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_list_view.h"
#include "recording_message_box.h"
#include "test_files.h"
#include "transcript.h"

namespace zr640 {
namespace {

struct LogRow {
    std::string legend;
    int oldEntries;  // in the list before: "old 0", "old 1", ...
    std::string text;
};

// Each row's count of entries, the selection, the most entries the list held at a time (the cap
// acts after each single insertion), then the first entry and every new one.
TEST(EventLogTest, EachLineFeedEndsAnEntryAndTheNewest2000Stay) {
    LogPrintf(nullptr, "no log yet\n");
    testing::FakeListView later;
    EventLog unattached;
    LogPrintf(&unattached, "no list yet\n");
    unattached.Attach(&later);
    LogPrintf(&unattached, "attached\n");
    EXPECT_EQ(later.entries, std::vector<std::string>{"attached"});
    const LogRow rows[] = {
        {"no line feed: one entry", 0, "Streckenpunkt 1: Lauf-Lilling,EDQI"},
        {"the empty text: one empty entry", 0, ""},
        {"the separator: two entries of a blank", 0, " \n \n"},
        {"after the last line feed: dropped", 0, "first\nsecond\nrest"},
        {"two line feeds in a row: an empty entry", 0, "a\n\nb\n"},
        {"a sentence keeps its carriage return", 0, "$KTWPO*1A\r\n"},
        {"the 2000th entry removes nothing", 1999, "line 2000\n"},
        {"the 2001st removes the oldest", 2000, "line 2001"},
        {"three lines remove three", 2000, "x\ny\nz\n"},
        {"cut at 2047 characters", 0, std::string(3000, 'a') + "\nnever seen\n"},
        {"a line feed in the last place still ends its entry", 0,
         std::string(kLogBufferSize - 2, 'b') + "\nc\n"},
    };
    std::string story;
    for (const LogRow& row : rows) {
        testing::FakeListView list;
        for (int i = 0; i < row.oldEntries; ++i) list.entries.push_back("old " + std::to_string(i));
        EventLog log(&list);
        LogPrintf(&log, "%s", row.text.c_str());
        story += "== " + row.legend + "\n" + std::to_string(list.Count()) + " entries, selection " +
                 std::to_string(list.selection) + ", at most " + std::to_string(list.peak) + "\n";
        for (std::size_t i = 0; i < list.entries.size(); ++i) {
            const std::string& entry = list.entries[i];
            if (i == 0 || !entry.starts_with("old ")) {
                story.append("[").append(testing::Escaped(entry)).append("]\n");
            }
        }
    }
    testing::ExpectGolden(ZR640_APP_GOLDEN_DIR "/event_log.log", story);
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
