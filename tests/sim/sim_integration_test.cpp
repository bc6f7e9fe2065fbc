// The real zr640-sim binary over a real pseudo-terminal.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "serial/sentence.h"
#include "sim_process.h"

namespace zr640::test {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kReplyWaitMs = 3000;

class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/zr640-sim-test-XXXXXX";
        path_ = mkdtemp(pattern);
    }
    ~TempDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string LinkTarget(const std::string& path) {
    char target[256];
    const ssize_t length = readlink(path.c_str(), target, sizeof target - 1);
    return length < 0 ? "" : std::string(target, static_cast<std::size_t>(length));
}

double CpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14 || i == 15) ticks += std::stol(field);  // utime, stime
    }
    return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

TEST(SimBinary, AnswersAnUploadAndATaskAndKeepsThemOverAPty) {
    TempDir dir;
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--no-telemetry", "--link", dir.File("ttyZR"), "--store",
                           dir.File("memory"), "--log", dir.File("traffic.log")}))
        << sim.Error();
    EXPECT_EQ(sim.SlavePath().rfind("/dev/pts/", 0), 0U) << sim.SlavePath();
    EXPECT_EQ(LinkTarget(dir.File("ttyZR")), sim.SlavePath());

    SlaveLine line;
    ASSERT_TRUE(line.Open(dir.File("ttyZR")));
    ASSERT_TRUE(line.SendSentence("$KTWPI,Update"));
    EXPECT_EQ(line.ReadLine(kReplyWaitMs), FrameSentence("$KTWPO,Update,0"));
    ASSERT_TRUE(line.SendSentence("$KTWPU,N\xF6rdlingen,EDNO,48.87,10.50,,,,,"));
    EXPECT_EQ(line.ReadLine(kReplyWaitMs), FrameSentence("$KTWPA,1"));
    ASSERT_TRUE(line.SendSentence("$KTWPU,Hof,EDQM,,,,,,,"));
    EXPECT_EQ(line.ReadLine(kReplyWaitMs), FrameSentence("$KTWPA,2"));
    ASSERT_TRUE(line.SendSentence("$KTWPR,1,1,1,Hof,EDQM"));
    EXPECT_EQ(line.ReadLine(kReplyWaitMs), FrameSentence("$KTWPS,1,1"));
    ASSERT_TRUE(line.Write("$KTWPI,Update*00\r\n"));
    EXPECT_EQ(line.ReadLine(kReplyWaitMs), FrameSentence("$KTWPE,CHECKSUM"));

    ASSERT_EQ(kill(sim.Pid(), SIGUSR1), 0);
    EXPECT_EQ(sim.ReadLine(kReplyWaitMs), "stored " + dir.File("memory"));
    EXPECT_EQ(ReadFile(dir.File("memory")),
              "# zr640-sim memory\n[waypoints]\n"
              "N\xF6rdlingen,EDNO,48.87,10.50,,,,,\nHof,EDQM,,,,,,,\n"
              "[task]\nHof,EDQM\n");

    EXPECT_EQ(sim.Stop(SIGINT), 0);
    struct stat gone{};
    EXPECT_NE(lstat(dir.File("ttyZR").c_str(), &gone), 0) << "the link outlived the simulator";
    const std::string log = ReadFile(dir.File("traffic.log"));
    EXPECT_NE(log.find("rx $KTWPU,N\\xF6rdlingen,EDNO,48.87,10.50,,,,,*"), std::string::npos)
        << log;
    EXPECT_NE(log.find("tx $KTWPA,2*47\\x0D\\x0A\n"), std::string::npos) << log;
}

TEST(SimBinary, TakesTheSampleWaypointFileOfTheDemoWhole) {
    const std::string sample = ReadFile(ZR640_SAMPLE_WHT);
    ASSERT_FALSE(sample.empty());
    TempDir dir;
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--no-telemetry", "--store", dir.File("memory")})) << sim.Error();
    SlaveLine line;
    ASSERT_TRUE(line.Open(sim.SlavePath()));
    ASSERT_TRUE(line.SendSentence("$KTWPI,Replace"));
    ASSERT_EQ(line.ReadLine(kReplyWaitMs), FrameSentence("$KTWPO,Replace,0"));

    std::string expected = "# zr640-sim memory\n[waypoints]\n";
    std::size_t start = 0;
    int records = 0;
    bool umlauts = false;
    while (start < sample.size()) {
        const std::size_t end = sample.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << "every line ends in CR LF";
        const std::string record = sample.substr(start, end - start);
        start = end + 2;
        ASSERT_EQ(std::count(record.begin(), record.end(), ','), 8) << record;
        umlauts = umlauts || record.find('\xFC') != std::string::npos;
        ASSERT_TRUE(line.SendSentence("$KTWPU," + record));
        ASSERT_EQ(line.ReadLine(kReplyWaitMs),
                  FrameSentence("$KTWPA," + std::to_string(++records)));
        expected += record + "\n";
    }
    EXPECT_GE(records, 20);
    EXPECT_TRUE(umlauts) << "the sample should carry Windows-1252 umlauts";
    EXPECT_EQ(sim.Stop(SIGTERM), 0);
    EXPECT_EQ(ReadFile(dir.File("memory")), expected + "[task]\n");
}

TEST(SimBinary, DocumentsItsOptionsAndRefusesBadOnes) {
    const SimResult help = RunSimToEnd({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: zr640-sim", 0), 0U);
    EXPECT_NE(help.out.find("--hangup-after N"), std::string::npos);

    const SimResult bad = RunSimToEnd({"--interval", "soon"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err,
              "zr640-sim: --interval: 'soon' is not a whole number from 0 to 3600000\n"
              "Try 'zr640-sim --help'.\n");
    EXPECT_EQ(RunSimToEnd({"--no-such-option"}).status, 2);

    const SimResult missing = RunSimToEnd({"--frames", "/nonexistent/frames.hex"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "zr640-sim: --frames /nonexistent/frames.hex: cannot be opened\n");
}

TEST(SimBinary, SendsWholeSealedFramesOfTheBuiltInFlight) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--interval", "40"})) << sim.Error();
    SlaveLine line;
    ASSERT_TRUE(line.Open(sim.SlavePath()));
    line.DiscardInput();
    // Unpaced frames are written whole, so after the discard a frame comes first.
    const std::string bytes = line.ReadBytes(45 * 12, 10000);
    ASSERT_GT(bytes.size(), 45U * 3);
    std::string types;
    std::size_t at = 0;
    auto lengthAt = [&](std::size_t offset) {
        return static_cast<unsigned char>(bytes[offset + 2]);
    };
    while (at + 3 <= bytes.size() && at + lengthAt(at) <= bytes.size()) {
        ASSERT_EQ(bytes[at], '$') << "at " << at;
        const std::size_t length = lengthAt(at);
        unsigned char all = 0;
        for (std::size_t i = at; i < at + length; ++i) all ^= static_cast<unsigned char>(bytes[i]);
        EXPECT_EQ(all, 0) << "frame at " << at << " is not sealed";
        types += static_cast<char>('0' + bytes[at + 4]);
        at += length;
    }
    EXPECT_GE(types.size(), 4U);
    EXPECT_NE(types.find('2'), std::string::npos) << types;
    EXPECT_EQ(types.find_first_not_of("012"), std::string::npos) << types;
}

TEST(SimBinary, ReplaysAFrameFileOnce) {
    TempDir dir;
    std::ofstream(dir.File("frames.hex")) << "# two frames\n24 41 06 37 01 99\n\n244203\n";
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--frames", dir.File("frames.hex"), "--once", "--interval", "30"}))
        << sim.Error();
    SlaveLine line;
    ASSERT_TRUE(line.Open(sim.SlavePath()));
    // Opened after the start, which took longer than the first frame: the simulator held
    // the slave, so nothing was lost.
    EXPECT_EQ(line.ReadBytes(9, 5000), std::string("\x24\x41\x06\x37\x01\x99\x24\x42\x03", 9));
    EXPECT_EQ(line.ReadBytes(1, 300), "");
}

TEST(SimBinary, PacesBothDirectionsLikeTheLine) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--no-telemetry", "--baud", "1200"})) << sim.Error();
    SlaveLine line;
    ASSERT_TRUE(line.Open(sim.SlavePath()));
    const auto start = Clock::now();
    ASSERT_TRUE(line.SendSentence("$KTWPI,Update"));  // 18 bytes
    const auto reply = line.ReadLine(10000);         // 20 bytes
    const auto elapsedMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_EQ(reply, FrameSentence("$KTWPO,Update,0"));
    // 38 bytes of 10 bits at 1200 baud: 316.7 ms at the least, however idle the machine.
    EXPECT_GE(elapsedMs, 316);
    EXPECT_LT(elapsedMs, 5000);
}

TEST(SimBinary, AnswersLateOrNotAtAllOnDemand) {
    SimProcess late;
    ASSERT_TRUE(late.Start({"--no-telemetry", "--reply-delay", "400"})) << late.Error();
    SlaveLine line;
    ASSERT_TRUE(line.Open(late.SlavePath()));
    const auto start = Clock::now();
    ASSERT_TRUE(line.SendSentence("$KTWPI,Replace"));
    EXPECT_EQ(line.ReadLine(kReplyWaitMs), FrameSentence("$KTWPO,Replace,0"));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(400));

    SimProcess silent;
    ASSERT_TRUE(silent.Start({"--no-telemetry", "--silent"})) << silent.Error();
    SlaveLine quiet;
    ASSERT_TRUE(quiet.Open(silent.SlavePath()));
    ASSERT_TRUE(quiet.SendSentence("$KTWPI,Replace"));
    EXPECT_EQ(quiet.ReadLine(700), std::nullopt);
}

TEST(SimBinary, HoldsTelemetryBackWhileTheToolTalks) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--interval", "20", "--transfer-quiet", "600"})) << sim.Error();
    SlaveLine line;
    ASSERT_TRUE(line.Open(sim.SlavePath()));
    ASSERT_TRUE(line.SendSentence("$KTWPI,Replace"));
    const auto opening = line.ReadBytes(1000, 400);
    // The first answer ends what came; a frame may have slipped in just before it.
    ASSERT_GE(opening.size(), 21U);
    EXPECT_EQ(opening.substr(opening.size() - 21), FrameSentence("$KTWPO,Replace,0"));
    for (int record = 1; record <= 5; ++record) {
        ASSERT_TRUE(line.SendSentence("$KTWPU,P" + std::to_string(record) + ",,,,,,,,"));
        EXPECT_EQ(line.ReadLine(kReplyWaitMs),
                  FrameSentence("$KTWPA," + std::to_string(record)));
    }
    EXPECT_EQ(line.ReadBytes(1, 300), "");  // still quiet
    EXPECT_EQ(line.ReadBytes(1, 3000), "$");  // and then the frames come back
}

TEST(SimBinary, HangsUpInTheMiddleOfAnUploadAndComesBack) {
    TempDir dir;
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--no-telemetry", "--hangup-after", "1", "--reopen-after", "100",
                           "--link", dir.File("ttyZR"), "--store", dir.File("memory")}))
        << sim.Error();
    SlaveLine line;
    ASSERT_TRUE(line.Open(dir.File("ttyZR")));
    ASSERT_TRUE(line.SendSentence("$KTWPI,Replace"));
    EXPECT_EQ(line.ReadLine(kReplyWaitMs), FrameSentence("$KTWPO,Replace,0"));
    ASSERT_TRUE(line.SendSentence("$KTWPU,Erster,,,,,,,,"));
    EXPECT_EQ(line.ReadLine(kReplyWaitMs), FrameSentence("$KTWPA,1"));
    ASSERT_TRUE(line.SendSentence("$KTWPU,Zweiter,,,,,,,,"));
    EXPECT_EQ(line.ReadLine(kReplyWaitMs), std::nullopt);
    EXPECT_TRUE(line.HungUp());

    EXPECT_EQ(sim.ReadLine(kReplyWaitMs), "stored " + dir.File("memory"));
    EXPECT_EQ(sim.ReadLine(kReplyWaitMs), "hangup");
    const auto reopened = sim.ReadLine(kReplyWaitMs);
    ASSERT_TRUE(reopened);
    ASSERT_EQ(reopened->rfind("reopened /dev/pts/", 0), 0U) << *reopened;
    EXPECT_EQ(LinkTarget(dir.File("ttyZR")), reopened->substr(9));
    EXPECT_EQ(ReadFile(dir.File("memory")),
              "# zr640-sim memory\n[waypoints]\nErster,,,,,,,,\n[task]\n");

    // Plugged in again: the instrument kept its memory, and hangs up no more.
    SlaveLine again;
    ASSERT_TRUE(again.Open(dir.File("ttyZR")));
    ASSERT_TRUE(again.SendSentence("$KTWPI,Update"));
    EXPECT_EQ(again.ReadLine(kReplyWaitMs), FrameSentence("$KTWPO,Update,1"));
    ASSERT_TRUE(again.SendSentence("$KTWPU,Zweiter,,,,,,,,"));
    EXPECT_EQ(again.ReadLine(kReplyWaitMs), FrameSentence("$KTWPA,1"));
    ASSERT_TRUE(again.SendSentence("$KTWPU,Dritter,,,,,,,,"));
    EXPECT_EQ(again.ReadLine(kReplyWaitMs), FrameSentence("$KTWPA,2"));
}

TEST(SimBinary, EndsAfterAHangUpUnlessToldToComeBack) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--no-telemetry", "--hangup-after", "0"})) << sim.Error();
    SlaveLine line;
    ASSERT_TRUE(line.Open(sim.SlavePath()));
    ASSERT_TRUE(line.SendSentence("$KTWPI,Update"));
    EXPECT_EQ(line.ReadLine(kReplyWaitMs), FrameSentence("$KTWPO,Update,0"));
    ASSERT_TRUE(line.SendSentence("$KTWPU,A,,,,,,,,"));
    EXPECT_EQ(line.ReadLine(kReplyWaitMs), std::nullopt);
    EXPECT_TRUE(line.HungUp());
    EXPECT_EQ(sim.Wait(5000), 0);
}

TEST(SimBinary, SurvivesTheToolClosingThePortWithoutSpinning) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--no-telemetry", "--exit-on-stdin-eof"})) << sim.Error();
    {
        SlaveLine first;
        ASSERT_TRUE(first.Open(sim.SlavePath()));
        ASSERT_TRUE(first.SendSentence("$KTWPI,Update"));
        EXPECT_EQ(first.ReadLine(kReplyWaitMs), FrameSentence("$KTWPO,Update,0"));
    }
    // Nobody holds the port now but the simulator itself.
    const double before = CpuSeconds(sim.Pid());
    usleep(1'000'000);
    EXPECT_LT(CpuSeconds(sim.Pid()) - before, 0.2) << "the simulator spins on an idle line";

    SlaveLine second;
    ASSERT_TRUE(second.Open(sim.SlavePath()));
    ASSERT_TRUE(second.SendSentence("$KTWPI,Replace"));
    EXPECT_EQ(second.ReadLine(kReplyWaitMs), FrameSentence("$KTWPO,Replace,0"));

    sim.CloseInput();
    EXPECT_EQ(sim.Wait(5000), 0);
}

}  // namespace
}  // namespace zr640::test
