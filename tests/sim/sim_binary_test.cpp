// What only the running zr640-sim does, over a real pseudo-terminal: its link and its memory
// over a hang-up; and the demo that starts it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/quit_request.h"
#include "config/configuration.h"
#include "backends/posix/ini_profile_file.h"
#include "serial/sentence.h"
#include "sim_process.h"
#include "test_files.h"

namespace zr640::test {
namespace {

namespace fs = std::filesystem;

// Opens the line raw as the tool does, sends the sentence and closes the line again: what came
// until the line fell silent for 600 ms (3 s before the first byte) or was closed.
std::string Ask(const std::string& path, const std::string& dollarAndBody) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios raw{};
    tcgetattr(fd, &raw);
    cfmakeraw(&raw);
    tcsetattr(fd, TCSANOW, &raw);
    const std::string sentence = FrameSentence(dollarAndBody);
    const bool sent = write(fd, sentence.data(), sentence.size()) == ssize_t(sentence.size());
    std::string reply;
    pollfd wait{fd, POLLIN, 0};
    for (char byte = 0; sent && reply.size() < 256 &&
                        poll(&wait, 1, reply.empty() ? 3000 : 600) > 0 &&
                        read(fd, &byte, 1) == 1;) {
        reply += byte;
    }
    close(fd);
    return reply;
}

TEST(SimBinary, KeepsItsMemoryOverAHangUpAndMovesItsLinkToTheNewLine) {
    testing::TemporaryDirectory dir;
    const std::string link = dir.File("ttyZR"), memory = dir.File("memory");
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--no-telemetry", "--hangup-after", "1", "--reopen-after", "100",
                           "--link", link, "--store", memory}));
    EXPECT_EQ(Ask(link, "$KTWPI,Replace"), FrameSentence("$KTWPO,Replace,0"));
    EXPECT_EQ(Ask(link, "$KTWPU,Erster,,,,,,,,"), FrameSentence("$KTWPA,1"));
    EXPECT_EQ(Ask(link, "$KTWPU,Zweiter,,,,,,,,"), "") << "the line closes";
    EXPECT_EQ(sim.ReadLine(), "stored " + memory);
    EXPECT_EQ(testing::ReadWholeFile(memory),
              "# zr640-sim memory\n[waypoints]\nErster,,,,,,,,\n[task]\n");
    EXPECT_EQ(sim.ReadLine(), "hangup");
    const std::optional<std::string> reopened = sim.ReadLine();
    EXPECT_EQ(reopened, "reopened " + fs::read_symlink(link).string());
    EXPECT_EQ(Ask(link, "$KTWPI,Update"), FrameSentence("$KTWPO,Update,1")) << "memory kept";
    EXPECT_EQ(sim.Stop(SIGTERM), 0);
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(link))) << "the link outlived the simulator";
}

// scripts/demo: the tool's own loader finds the simulator that the demo starts.
TEST(Demo, PointsTheToolAtTheSimulatorItStarts) {
    testing::TemporaryDirectory dir;
    const std::string where = "'" + dir.Path() + "' '" + dir.File("ttyZR640") + "'";
    const std::string demo = "cd '" ZR640_SOURCE_DIR "' && . scripts/lib/demo.sh && demo_prepare " +
                             where + " && demo_sim_arguments " + where + " >" + dir.File("sim");
    ASSERT_EQ(std::system(demo.c_str()), 0);
    platform::IniProfileFile profile;
    AppConfig config;
    LoadConfiguration(profile, dir.Path(), '/', config);
    LoadDeviceSetting(profile, config);
    EXPECT_FALSE(QuitRequested()) << "the demo's zr640.ini is read without a message";
    std::ifstream arguments(dir.File("sim"));
    SimProcess sim;
    ASSERT_TRUE(sim.Start({std::istream_iterator<std::string>(arguments), {}}));
    // Through the configured device; the telemetry every 500 ms waits while the tool talks.
    EXPECT_TRUE(Ask(config.Device, "$KTWPI,Update").ends_with(FrameSentence("$KTWPO,Update,0")));
}

}  // namespace
}  // namespace zr640::test
