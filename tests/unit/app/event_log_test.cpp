#include "platform/event_log.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fake_list_view.h"
#include "recording_message_box.h"

namespace zr640 {
namespace {

using ::testing::ElementsAre;
using testing::FakeListView;
using testing::RecordingMessageBox;

// Remembers the largest number of entries the list ever held, to show that the cap acts
// after every single insertion and not only once per text.
class PeakCountingList final : public platform::ListView {
public:
    void AddString(const char* text) override {
        inner.AddString(text);
        peak = std::max(peak, inner.Count());
    }
    int Count() const override { return inner.Count(); }
    void DeleteString(int index) override { inner.DeleteString(index); }
    void SetCurSel(int index) override { inner.SetCurSel(index); }
    void SetHorizontalExtent(int pixels) override { inner.SetHorizontalExtent(pixels); }

    FakeListView inner;
    int peak = 0;
};

void FillWithNumberedEntries(PeakCountingList& list, int count) {
    for (int i = 0; i < count; ++i) {
        list.inner.entries.push_back("old " + std::to_string(i));
    }
    list.peak = count;
}

TEST(LogPrintfTest, TextWithoutLineFeedIsOneEntryAndSelected) {
    FakeListView list;
    EventLog listLog(&list);
    LogPrintf(&listLog, "Streckenpunkt %d: %s,%s", 1, "Lauf-Lilling", "EDQI");
    LogPrintf(&listLog, "%s", "");
    EXPECT_THAT(list.entries, ElementsAre("Streckenpunkt 1: Lauf-Lilling,EDQI", ""));
    EXPECT_EQ(list.selection, 1);
}

TEST(LogPrintfTest, EachLineFeedEndsOneEntry) {
    FakeListView separator;
    EventLog separatorLog(&separator);
    LogPrintf(&separatorLog, " \n \n");
    EXPECT_THAT(separator.entries, ElementsAre(" ", " "));
    EXPECT_EQ(separator.selection, 1);

    FakeListView unterminated;

    EventLog unterminatedLog(&unterminated);
    LogPrintf(&unterminatedLog, "first\nsecond\nrest without end");
    EXPECT_THAT(unterminated.entries, ElementsAre("first", "second"));

    FakeListView doubled;

    EventLog doubledLog(&doubled);
    LogPrintf(&doubledLog, "a\n\nb\n");
    EXPECT_THAT(doubled.entries, ElementsAre("a", "", "b"));

    FakeListView sentence;

    EventLog sentenceLog(&sentence);
    LogPrintf(&sentenceLog, "%s", "$KTWPO*1A\r\n");
    EXPECT_THAT(sentence.entries, ElementsAre("$KTWPO*1A\r"));
}

TEST(LogPrintfTest, NullListIsIgnored) {
    LogPrintf(nullptr, "no list yet\n");
    LogPrintf(nullptr, "%s", "");
}

TEST(LogPrintfTest, CapKeepsTheNewest2000Entries) {
    PeakCountingList list;
    EventLog listLog(&list);
    FillWithNumberedEntries(list, kEventLogCap - 1);
    LogPrintf(&listLog, "line 2000\n");
    EXPECT_EQ(list.Count(), 2000);
    EXPECT_EQ(list.inner.deletions, 0);
    EXPECT_EQ(list.inner.entries.front(), "old 0");
    EXPECT_EQ(list.inner.selection, 1999);

    LogPrintf(&listLog, "line 2001");
    EXPECT_EQ(list.Count(), 2000);
    EXPECT_EQ(list.inner.deletions, 1);
    EXPECT_EQ(list.inner.entries.front(), "old 1");
    EXPECT_EQ(list.inner.entries.back(), "line 2001");
    EXPECT_EQ(list.inner.selection, 1999);
    EXPECT_EQ(list.peak, 2001);
}

TEST(LogPrintfTest, SeveralLinesAtTheCapRemoveOneOldEntryEach) {
    PeakCountingList list;
    EventLog listLog(&list);
    FillWithNumberedEntries(list, kEventLogCap);
    LogPrintf(&listLog, "x\ny\nz\n");
    EXPECT_EQ(list.Count(), 2000);
    EXPECT_EQ(list.inner.deletions, 3);
    EXPECT_EQ(list.inner.entries.front(), "old 3");
    const std::vector<std::string> lastThree(list.inner.entries.end() - 3,
                                             list.inner.entries.end());
    EXPECT_THAT(lastThree, ElementsAre("x", "y", "z"));
    EXPECT_EQ(list.inner.selection, 1999);
    EXPECT_EQ(list.peak, 2001);
}

TEST(LogPrintfTest, OverlongTextIsCutAtTheBuffer) {
    FakeListView list;
    EventLog listLog(&list);
    const std::string longText(3000, 'a');
    LogPrintf(&listLog, "%s\nnever seen\n", longText.c_str());
    EXPECT_THAT(list.entries, ElementsAre(std::string(kLogBufferSize - 1, 'a')));

    // The line feed in the last place that fits still ends its entry; what follows is cut.
    FakeListView edge;
    EventLog edgeLog(&edge);
    const std::string almostFull(kLogBufferSize - 2, 'b');
    LogPrintf(&edgeLog, "%s\nc\n", almostFull.c_str());
    EXPECT_THAT(edge.entries, ElementsAre(almostFull));
}

TEST(ShowMessageTest, BeepsWhenAskedThenShowsTheFormattedText) {
    RecordingMessageBox box;
    ShowMessage(16, 1, "Error", "Port COM%d: %s", 3, "nicht gefunden");
    ShowMessage(16, 0, "Fehler", "quiet");
    ASSERT_EQ(box.shown.size(), 2u);
    EXPECT_EQ(box.shown[0].text, "Port COM3: nicht gefunden");
    EXPECT_EQ(box.shown[0].caption, "Error");
    EXPECT_EQ(box.shown[0].style, 16u);
    EXPECT_TRUE(box.shown[0].beepedBefore);
    EXPECT_EQ(box.shown[1].text, "quiet");
    EXPECT_FALSE(box.shown[1].beepedBefore);
    EXPECT_EQ(box.beeps, 1);
}

TEST(ShowMessageTest, OverlongTextIsCutAtTheBuffer) {
    RecordingMessageBox box;
    const std::string longText(5000, 'm');
    ShowMessage(16, 1, "Fehler", "%s", longText.c_str());
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, std::string(kMessageBufferSize - 1, 'm'));
}

}  // namespace
}  // namespace zr640
