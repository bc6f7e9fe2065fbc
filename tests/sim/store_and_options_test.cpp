#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "options.h"
#include "store_file.h"

namespace zr640::sim {
namespace {

TEST(StoreFile, ListsWaypointsAndTaskByteForByte) {
    Waypoint muenchen;
    muenchen.fields = {"M\xFC" "nchen", "EDDM", "48.35", "11.78", "", "", "", "", "x"};
    Waypoint empty;
    const std::string text = FormatStore({muenchen, empty}, {{"Bayreuth", "EDQD"}, {"Hof", ""}});
    EXPECT_EQ(text,
              "# zr640-sim memory\n"
              "[waypoints]\n"
              "M\xFC" "nchen,EDDM,48.35,11.78,,,,,x\n"
              ",,,,,,,,\n"
              "[task]\n"
              "Bayreuth,EDQD\n"
              "Hof,\n");
    EXPECT_EQ(FormatStore({}, {}), "# zr640-sim memory\n[waypoints]\n[task]\n");
}

TEST(StoreFile, ReplacesTheFileWholeAndReportsWhatFails) {
    char directory[] = "/tmp/zr640-sim-store-XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    const std::string path = std::string(directory) + "/memory.txt";
    std::string error;
    ASSERT_TRUE(WriteStoreFile(path, "first\n", error)) << error;
    ASSERT_TRUE(WriteStoreFile(path, "second\n", error)) << error;
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "second\n");
    struct stat leftover{};
    EXPECT_NE(stat((path + ".tmp").c_str(), &leftover), 0);

    EXPECT_FALSE(WriteStoreFile(std::string(directory) + "/no/such/dir/x", "y", error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
    unlink(path.c_str());
    rmdir(directory);
}

TEST(CommandLine, TakesEveryOptionWithItsValue) {
    const CommandLine line = ParseCommandLine(
        {"--link", "/tmp/zr", "--interval=250", "--baud", "4800", "--store", "/tmp/s",
         "--log", "/tmp/l", "-v", "--exit-on-stdin-eof", "--transfer-quiet", "0",
         "--werknummer", "B77", "--wrong-replies", "2", "--wrong-replies-from", "3",
         "--silent-after", "5", "--reply-delay", "300", "--garbage", "--cut-frame-every", "7",
         "--zero-length-every", "9", "--bad-reply-checksum", "--hangup-after", "4",
         "--reopen-after", "200", "--silent"});
    ASSERT_EQ(line.outcome, CommandLineOutcome::Run) << line.error;
    const SimOptions& o = line.options;
    EXPECT_EQ(o.linkPath, "/tmp/zr");
    EXPECT_EQ(o.intervalMs, 250);
    EXPECT_EQ(o.baud, 4800);
    EXPECT_EQ(o.storePath, "/tmp/s");
    EXPECT_EQ(o.logPath, "/tmp/l");
    EXPECT_TRUE(o.verbose);
    EXPECT_TRUE(o.exitOnStdinEof);
    EXPECT_EQ(o.transferQuietMs, 0);
    EXPECT_EQ(o.werknummer, "B77");
    EXPECT_EQ(o.replyFaults.wrongReplies, 2);
    EXPECT_EQ(o.replyFaults.wrongRepliesFrom, 3);
    EXPECT_EQ(o.replyFaults.silentAfterRecords, 5);
    EXPECT_EQ(o.replyDelayMs, 300);
    EXPECT_TRUE(o.telemetryFaults.garbage);
    EXPECT_EQ(o.telemetryFaults.cutFrameEvery, 7);
    EXPECT_EQ(o.telemetryFaults.zeroLengthEvery, 9);
    EXPECT_TRUE(o.replyFaults.badReplyChecksum);
    EXPECT_EQ(o.replyFaults.hangupAfterRecords, 4);
    EXPECT_EQ(o.reopenAfterMs, 200);
    EXPECT_TRUE(o.replyFaults.silent);
}

TEST(CommandLine, HasQuietDefaultsAndSwitchesTelemetryOff) {
    const CommandLine defaults = ParseCommandLine({});
    ASSERT_EQ(defaults.outcome, CommandLineOutcome::Run);
    EXPECT_EQ(defaults.options.intervalMs, 1000);
    EXPECT_EQ(defaults.options.baud, 0);
    EXPECT_EQ(defaults.options.werknummer, "A1234");
    EXPECT_EQ(defaults.options.replyFaults.hangupAfterRecords, -1);
    EXPECT_EQ(defaults.options.replyFaults.silentAfterRecords, -1);
    // Whatever the order.
    EXPECT_EQ(ParseCommandLine({"--no-telemetry", "--interval", "300"}).options.intervalMs, 0);
    EXPECT_EQ(ParseCommandLine({"--frames", "f.hex", "--once"}).options.replayOnce, true);
    EXPECT_EQ(ParseCommandLine({"-h"}).outcome, CommandLineOutcome::Help);
    EXPECT_EQ(ParseCommandLine({"--once", "--version"}).outcome, CommandLineOutcome::Version);
    EXPECT_EQ(ParseCommandLine({"--interval", "x", "--help"}).outcome, CommandLineOutcome::Error);
}

TEST(CommandLine, NamesWhatIsWrong) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"stray"}, "unexpected argument 'stray'"},
        {{"--interval"}, "--interval needs a value"},
        {{"--interval", "-5"}, "--interval: '-5' is not a whole number from 0 to 3600000"},
        {{"--interval", "12ms"}, "--interval: '12ms' is not a whole number from 0 to 3600000"},
        {{"--baud", "10"}, "--baud: '10' is not a whole number from 50 to 4000000"},
        {{"--cut-frame-every", "0"},
         "--cut-frame-every: '0' is not a whole number from 1 to 1000000000"},
        {{"--link="}, "--link: needs a non-empty value"},
        {{"--werknummer", "ABCDEFG"}, "--werknummer: takes at most 6 bytes"},
        {{"--garbage=1"}, "--garbage takes no value"},
        {{"--once"}, "--once needs --frames"},
        {{"--frames", "f", "--no-telemetry"},
         "--frames needs telemetry: an --interval above 0, no --no-telemetry"},
        {{"--frames", "f", "--interval", "0"},
         "--frames needs telemetry: an --interval above 0, no --no-telemetry"},
        {{"--reopen-after", "10"}, "--reopen-after needs --hangup-after or --unplug-after"},
    };
    for (const auto& [arguments, error] : cases) {
        const CommandLine line = ParseCommandLine(arguments);
        EXPECT_EQ(line.outcome, CommandLineOutcome::Error) << arguments[0];
        EXPECT_EQ(line.error, error);
    }
}

TEST(CommandLine, HelpDocumentsEveryOption) {
    const std::string usage = UsageText();
    for (const char* option :
         {"--link", "--interval", "--no-telemetry", "--frames", "--once", "--baud", "--store",
          "--log", "--verbose", "--exit-on-stdin-eof", "--transfer-quiet", "--werknummer",
          "--wrong-replies ", "--wrong-replies-from", "--silent ", "--silent-after",
          "--reply-delay", "--garbage", "--cut-frame-every", "--zero-length-every",
          "--bad-reply-checksum", "--hangup-after", "--reopen-after", "--help", "--version"}) {
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    }
}

}  // namespace
}  // namespace zr640::sim
