#include "transfer/waypoint_file_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "scratch_file.h"

namespace zr640 {
namespace {

using testing::ScratchFile;

struct ReadLine {
    WaypointLineStatus status;
    std::string text;
    long lineNumber;

    bool operator==(const ReadLine&) const = default;
};

void PrintTo(const ReadLine& line, std::ostream* out) {
    *out << "{" << static_cast<int>(line.status) << ", \"" << line.text << "\", "
         << line.lineNumber << "}";
}

// Every status up to and including the first that is not a line.
std::vector<ReadLine> ReadAll(const std::string& bytes) {
    ScratchFile file(bytes);
    WaypointFileReader reader;
    EXPECT_TRUE(reader.Open(file.Path()));
    std::vector<ReadLine> lines;
    for (;;) {
        const WaypointLineStatus status = reader.Next();
        lines.push_back({status, reader.Text(), reader.LineNumber()});
        if (status != WaypointLineStatus::Line) {
            return lines;
        }
    }
}

constexpr auto kLine = WaypointLineStatus::Line;
constexpr auto kEnd = WaypointLineStatus::End;

TEST(WaypointFileReader, EndsLinesAtLineFeedsAndSkipsEmptyOnes) {
    // CR LF lines, a bare LF line, empty lines of both kinds, a line of blanks, and a last
    // line that no line feed ends.
    const std::vector<ReadLine> expected = {
        {kLine, "Aalen,EDPA", 1},
        {kLine, "Bayreuth,EDQD", 3},
        {kLine, "   ", 5},
        {kLine, "Unix,UNIX", 6},
        {kLine, "M\xFCnchen,EDMR", 8},
        {kEnd, "", 8},
    };
    EXPECT_EQ(ReadAll("Aalen,EDPA\r\n\r\nBayreuth,EDQD\r\n\n   \r\nUnix,UNIX\n\nM\xFCnchen,EDMR"),
              expected);
    EXPECT_EQ(ReadAll(""), (std::vector<ReadLine>{{kEnd, "", 0}}));
    EXPECT_EQ(ReadAll("\r\n\n\r\r\n"), (std::vector<ReadLine>{{kEnd, "", 3}}));
    EXPECT_EQ(ReadAll("Last\r"), (std::vector<ReadLine>{{kLine, "Last", 1}, {kEnd, "", 1}}));
}

TEST(WaypointFileReader, CutsAtTheFirstCarriageReturnButLosesNoText) {
    EXPECT_EQ(ReadAll("A,B\r\r\nC\r\n"),
              (std::vector<ReadLine>{{kLine, "A,B", 1}, {kLine, "C", 2}, {kEnd, "", 2}}));
    // Text behind a carriage return (old Mac line ends, say) would be dropped unseen.
    EXPECT_EQ(ReadAll("A\r\nB\rC\rD\r\nE\r\n"),
              (std::vector<ReadLine>{{kLine, "A", 1},
                                     {WaypointLineStatus::TextAfterCarriageReturn, "B", 2}}));
}

TEST(WaypointFileReader, ReportsLinesThatCannotBeSentWhole) {
    const std::string longest(kMaxWaypointLineLength, 'x');
    EXPECT_EQ(ReadAll(longest + "\r\n" + longest),
              (std::vector<ReadLine>{{kLine, longest, 1}, {kLine, longest, 2}, {kEnd, "", 2}}));

    const std::vector<ReadLine> tooLong = ReadAll("A\r\n" + longest + "y\r\nB\r\n");
    ASSERT_EQ(tooLong.size(), 2u);
    EXPECT_EQ(tooLong[1].status, WaypointLineStatus::TooLong);
    EXPECT_EQ(tooLong[1].lineNumber, 2);

    EXPECT_EQ(ReadAll(std::string("A\nB\0C,D\nE\n", 10)),
              (std::vector<ReadLine>{{kLine, "A", 1}, {WaypointLineStatus::ZeroByte, "BC,D", 2}}));
    EXPECT_EQ(ReadAll(std::string("\0\r\n", 3)),
              (std::vector<ReadLine>{{WaypointLineStatus::ZeroByte, "", 1}}));
}

TEST(WaypointFileReader, StreamsFilesLargerThanItsBlockAndLeavesThemUnchanged) {
    std::string bytes;
    for (int n = 1; n <= 3000; ++n) {
        bytes += "Punkt " + std::to_string(n) + ",P" + std::to_string(n % 1000) + ",48.5,9.25\r\n";
    }
    ScratchFile file(bytes);
    const auto writtenAt = std::filesystem::last_write_time(file.Path());
    WaypointFileReader reader;
    ASSERT_TRUE(reader.Open(file.Path()));
    int count = 0;
    while (reader.Next() == kLine) {
        ++count;
        const std::string expected =
            "Punkt " + std::to_string(count) + ",P" + std::to_string(count % 1000) + ",48.5,9.25";
        ASSERT_EQ(reader.Text(), expected);
        ASSERT_EQ(reader.Length(), static_cast<int>(expected.size()));
    }
    EXPECT_EQ(count, 3000);
    EXPECT_EQ(file.Read(), bytes);
    EXPECT_EQ(std::filesystem::last_write_time(file.Path()), writtenAt);

    WaypointFileReader missing;
    EXPECT_FALSE(missing.Open(file.Path() + ".fehlt"));
}

}  // namespace
}  // namespace zr640
