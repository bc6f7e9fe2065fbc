#include <algorithm>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scratch_file.h"
#include "serial/sentence.h"
#include "transfer/transfer.h"
#include "transfer_fixture.h"

namespace zr640 {
namespace {

using testing::ScratchFile;
using Lines = std::vector<std::string>;

class WaypointUpload : public testing::TransferTest {
protected:
    void Upload(UploadMode mode) {
        TransferContext context = Context();
        UploadWaypointFile(mode, context);
    }

    // The log of a run up to and including the opening exchange and the file's count.
    static Lines Opening(UploadMode mode, int records) {
        const bool replace = mode == UploadMode::Replace;
        return {" ",
                " ",
                replace ? "Replace" + Hyphens(128) : "Update" + Hyphens(129),
                replace ? "$KTWPI,Replace*31\r" : "$KTWPI,Update*4C\r",
                "$KTWPO\r",
                std::to_string(records) + " S\xE4tze in der Datei"};
    }

    static Lines Summary(const std::string& text) { return {text, Hyphens(128), " ", " "}; }

    static Lines Join(std::initializer_list<Lines> parts) {
        Lines all;
        for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
        return all;
    }

    void ExpectEndedWithLineLowAndReceptionOn() {
        ASSERT_FALSE(device.escapes.empty());
        EXPECT_EQ(device.escapes.back(), CLRRTS);
    }
};

const std::string kOpeningReplace = "$KTWPI,Replace*31\r\n";
const std::string kOpeningUpdate = "$KTWPI,Update*4C\r\n";

TEST_F(WaypointUpload, WithoutAChosenFileOnlyTheMessageBoxIsShown) {
    EXPECT_TRUE(WaypointFileChosen("x.wht"));
    EXPECT_FALSE(WaypointFileChosen(""));
    ASSERT_EQ(messageBoxes.shown.size(), 1u);
    EXPECT_EQ(messageBoxes.shown[0].caption, "Fehler");
    EXPECT_EQ(messageBoxes.shown[0].text,
              "Erst mal eine Wendepunktdatei zum \xDC" "bertragen w\xE4hlen!");
    EXPECT_EQ(messageBoxes.shown[0].style, 16u);
    EXPECT_TRUE(messageBoxes.shown[0].beepedBefore);
}

// Wherever the user's cancel comes, the run stops there: no sentence is written after it,
// the wait for the answer ends within one cancel slice, RTS ends low, and the log says how
// many records the instrument has acknowledged, with no "fertig".
TEST_F(WaypointUpload, ACancelStopsTheRunWhereverItComes) {
    ScratchFile file("A,1\r\nB,2\r\nC,3\r\n");
    waypointFilePath = file.Path();
    for (int k = 0;; ++k) {
        log.entries.clear();
        device.writes.clear();
        device.escapes.clear();
        // Every answer comes 100 ms late, so each exchange waits on the port twice.
        for (const char* reply : {"$KTWPO", "$KTWPA,1", "$KTWPA,2", "$KTWPA,3"}) {
            device.replies.push_back({std::string(reply) + "\r\n", 100});
        }
        operation.Reset();
        int waits = 0;
        std::size_t writesAtCancel = 0;
        std::uint32_t cancelMs = 0;
        device.onWait = [&] {
            if (waits++ != k) return;
            operation.Cancel();
            writesAtCancel = device.writes.size();
            cancelMs = clock.NowMs();
        };
        Upload(UploadMode::Replace);
        device.replies.clear();
        if (waits <= k) break;
        EXPECT_EQ(device.writes.size(), writesAtCancel) << k;
        EXPECT_LE(clock.NowMs() - cancelMs, kCancelCheckMs) << k;
        EXPECT_EQ(device.escapes.back(), CLRRTS) << k;
        const auto acknowledged = std::count_if(log.entries.begin(), log.entries.end(),
            [](const std::string& entry) { return entry.rfind("$KTWPA,", 0) == 0; });
        // A cancel that comes with the last acknowledgement finds the run complete.
        const std::string last = acknowledged == 3
            ? "Replace fertig, 3 S\xE4tze \xFC" "bertragen!"
            : "Abbruch durch Benutzer nach " + std::to_string(acknowledged) + " S\xE4tzen";
        EXPECT_EQ(log.entries.end()[acknowledged == 3 ? -4 : -1], last) << k;
    }
}

TEST_F(WaypointUpload, ReplaceSendsEveryRecordLineAsNineFields) {
    config.MaxLaengeName1 = 10;
    ScratchFile file("Hetzleser Berg,EDQX, 48.5 ,9.3\r\n\r\n   \r\nX,,Y\r\n"
                     "1,2,3,4,5,6,7,8,9,10,11\r\n");
    waypointFilePath = file.Path();
    // A reply that goes on behind the expected count is accepted as well.
    Answer({"$KTWPO", "$KTWPA,1", "$KTWPA,2", "$KTWPA,34", "$KTWPA,4"});
    Upload(UploadMode::Replace);

    const std::string first = FrameSentence("$KTWPU,Hetzleser,EDQX,48.5,9.3,,,,,");
    const std::string blanks = "$KTWPU,,,,,,,,,*61\r\n";
    const std::string third = "$KTWPU,X,,Y,,,,,,*60\r\n";
    const std::string fourth = FrameSentence("$KTWPU,1,2,3,4,5,6,7,8,9");
    EXPECT_EQ(device.writes, (Lines{kOpeningReplace, first, blanks, third, fourth}));
    EXPECT_EQ(log.entries,
              Join({Opening(UploadMode::Replace, 4),
                    {"WP   1: " + Entry(first), "$KTWPA,1\r", "WP   2: " + Entry(blanks),
                     "$KTWPA,2\r", "WP   3: " + Entry(third), "$KTWPA,34\r",
                     "WP   4: " + Entry(fourth), "$KTWPA,4\r"},
                    Summary("Replace fertig, 4 S\xE4" "tze \xFC" "bertragen!")}));
    EXPECT_EQ(device.escapes, (std::vector<int>{3, 4, 3, 4, 3, 4, 3, 4, 3, 4, 4}));
    ExpectEndedWithLineLowAndReceptionOn();
}

TEST_F(WaypointUpload, UpdateAcceptsAnyCountAndCutsNamesToTheirLengths) {
    config.MaxLaengeName1 = 8;
    ScratchFile file("Hetzleser Berg,EDQXY\nAalen\n");
    waypointFilePath = file.Path();
    Answer({"$KTWPO,Update", "$KTWPA,99", "$KTWPA,"});
    Upload(UploadMode::Update);

    const std::string first = FrameSentence("$KTWPU,Hetzlese,EDQX,,,,,,,");
    const std::string second = FrameSentence("$KTWPU,Aalen,,,,,,,,");
    EXPECT_EQ(device.writes, (Lines{kOpeningUpdate, first, second}));
    EXPECT_EQ(log.entries.back(), " ");
    EXPECT_EQ(log.entries[log.entries.size() - 4],
              "Update fertig, 2 S\xE4" "tze \xFC" "bertragen!");
    ExpectEndedWithLineLowAndReceptionOn();
}

TEST_F(WaypointUpload, AnEmptyFileGivesTheOpeningAndASummaryOfNone) {
    for (const std::string content : {"", "\r\n\r\n", "\n\n\n"}) {
        ScratchFile file(content);
        waypointFilePath = file.Path();
        log.entries.clear();
        device.writes.clear();
        Answer({"$KTWPO"});
        Upload(UploadMode::Update);
        EXPECT_EQ(device.writes, Lines{kOpeningUpdate});
        EXPECT_EQ(log.entries, Join({Opening(UploadMode::Update, 0),
                                     Summary("Update fertig, 0 S\xE4" "tze \xFC" "bertragen!")}));
    }
}

TEST_F(WaypointUpload, AWrongReplyIsRetriedAndThreeAbortTheRun) {
    ScratchFile file("A\r\nB\r\nC\r\n");
    waypointFilePath = file.Path();
    Answer({"$KTWPO", "$KTWPA,7", "$KTWPA,1", "$KTWPX", "$KTWPX", "$KTWPX", "$KTWPA,3"});
    Upload(UploadMode::Replace);

    const std::string first = FrameSentence("$KTWPU,A,,,,,,,,");
    const std::string second = FrameSentence("$KTWPU,B,,,,,,,,");
    EXPECT_EQ(device.writes, (Lines{kOpeningReplace, first, first, second, second, second}));
    EXPECT_EQ(log.entries,
              Join({Opening(UploadMode::Replace, 3),
                    {"WP   1: " + Entry(first), "Response Falsch:$KTWPA,7\r", "$KTWPA,1\r",
                     "WP   2: " + Entry(second), "Response Falsch:$KTWPX\r",
                     "Response Falsch:$KTWPX\r", "Response Falsch:$KTWPX\r",
                     "Abbruch, Fehler bei resend!!"}}));
    ExpectEndedWithLineLowAndReceptionOn();
}

TEST_F(WaypointUpload, ASilentOrLostInstrumentAbortsWithoutASummary) {
    ScratchFile file("A\r\nB\r\nC\r\n");
    waypointFilePath = file.Path();

    // Silent from the start: the file is never sent.
    Upload(UploadMode::Replace);
    EXPECT_EQ(log.entries.back(), "Abbruch, Fehler bei resend!!");
    for (const std::string& written : device.writes) EXPECT_EQ(written, kOpeningReplace);
    ExpectEndedWithLineLowAndReceptionOn();

    // Silent after record 1.
    log.entries.clear();
    device.writes.clear();
    Answer({"$KTWPO", "$KTWPA,1"});
    Upload(UploadMode::Replace);
    const std::string second = FrameSentence("$KTWPU,B,,,,,,,,");
    EXPECT_EQ(device.writes.back(), second);
    EXPECT_EQ(log.entries.back(), "Abbruch, Fehler bei resend!!");
    for (const std::string& entry : log.entries) EXPECT_EQ(entry.find("fertig"), std::string::npos);
    ExpectEndedWithLineLowAndReceptionOn();

    // The line goes away right after the acknowledgement of record 1.
    log.entries.clear();
    device.writes.clear();
    device.lineLost = false;
    device.replies.push_back({"$KTWPO\r\n"});
    device.replies.push_back({"$KTWPA,1\r\n", 0, true});
    Upload(UploadMode::Replace);
    EXPECT_EQ(device.writes.back(), second);
    EXPECT_EQ(log.entries.back(), "Abbruch, Fehler bei resend!!");
    ExpectEndedWithLineLowAndReceptionOn();
}

// A file is sent whole or not at all: a line that cannot go out whole, wherever it stands,
// stops the run before the opening sentence, so that a Replace never empties the list for it.
TEST_F(WaypointUpload, ALineThatCannotBeSentWholeStopsTheRunBeforeAnythingIsSent) {
    const std::string wideField(250, 'w');
    const std::pair<std::string, std::string> cases[] = {
        {std::string(512, 'x'), "ist l\xE4nger als 511 Zeichen"},
        {std::string("B\0C", 3), "enth\xE4lt ein Nullbyte"},
        {"B\rC", "hat Text hinter dem CR"},
        {"B,C," + std::string(256, 'f'), "hat ein Feld mit mehr als 255 Zeichen"},
        {"B,C," + wideField + "," + wideField, "ergibt einen Satz von mehr als 511 Zeichen"},
    };
    for (const auto& [bad, reason] : cases) {
        const std::pair<std::string, int> places[] = {
            {bad + "\r\nA\r\n", 1}, {"A\r\n\r\n" + bad + "\r\nD\r\n", 3}, {"A\r\n" + bad, 2}};
        for (const auto& [content, lineNumber] : places) {
            ScratchFile file(content);
            waypointFilePath = file.Path();
            log.entries.clear();
            Answer({"$KTWPO", "$KTWPA,1", "$KTWPA,2"});
            Upload(UploadMode::Replace);
            device.replies.clear();
            EXPECT_TRUE(device.writes.empty()) << lineNumber << reason;
            EXPECT_EQ(log.entries, (Lines{" ", " ", "Replace" + Hyphens(128),
                                          "Abbruch, Zeile " + std::to_string(lineNumber) + ": " +
                                              reason}));
        }
    }
}

TEST_F(WaypointUpload, AFileThatCannotBeOpenedIsReportedBeforeAnythingIsSent) {
    waypointFilePath = "/nicht/vorhanden.wht";
    Answer({"$KTWPO"});
    Upload(UploadMode::Replace);
    EXPECT_TRUE(device.writes.empty());
    EXPECT_EQ(log.entries,
              (Lines{" ", " ", "Replace" + Hyphens(128),
                     "Abbruch, Wendepunktdatei /nicht/vorhanden.wht l\xE4sst sich nicht "
                     "\xF6" "ffnen!"}));
    ExpectEndedWithLineLowAndReceptionOn();
}

}  // namespace
}  // namespace zr640
