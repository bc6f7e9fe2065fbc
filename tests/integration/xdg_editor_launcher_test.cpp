// The editor is started through a stand-in xdg-open on PATH that writes down what it got:
// a real process start, without a desktop.
#include "backends/posix/xdg_editor_launcher.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "recording_message_box.h"

namespace zr640::platform {
namespace {

namespace fs = std::filesystem;

class XdgEditorLauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("zr640-xdg-" + std::to_string(::getpid()));
        fs::create_directories(root / "bin");
        savedPath = std::getenv("PATH");
        previous = fs::current_path();
        fs::current_path(root);
    }
    void TearDown() override {
        ::setenv("PATH", savedPath.c_str(), 1);
        fs::current_path(previous);
        fs::remove_all(root);
    }

    // An xdg-open that writes its argument count, its arguments and its open descriptors.
    void InstallStandIn() {
        const fs::path script = root / "bin" / "xdg-open";
        std::ofstream(script) << "#!/bin/sh\n"
                                 "out=\"" << (root / "seen").string() << "\"\n"
                                 "{ echo \"$#\"; printf '%s\\n' \"$@\"; ls /proc/self/fd; } "
                                 "> \"$out.part\"\n"
                                 "mv \"$out.part\" \"$out\"\n";
        fs::permissions(script, fs::perms::owner_all);
        ::setenv("PATH", ((root / "bin").string() + ":/usr/bin:/bin").c_str(), 1);
    }

    // What the stand-in wrote, once it has run (it is not our child: nothing to wait for).
    std::string Seen() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!fs::exists(root / "seen") && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        std::ifstream in(root / "seen");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path root, previous;
    std::string savedPath;
    XdgEditorLauncher launcher;
};

TEST_F(XdgEditorLauncherTest, HandsThePathOverAsOneArgumentThatNoShellReads) {
    InstallStandIn();
    zr640::testing::RecordingMessageBox messages;
    const int inherited = ::open("/dev/null", O_RDONLY);  // without close-on-exec
    ASSERT_GE(inherited, 3);
    const std::string path = (root / "Flug; touch injected $(touch injected2) `touch x`.wht").string();

    launcher.OpenInEditor(path.c_str());

    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1) << "a child was left to reap";
    EXPECT_EQ(errno, ECHILD);
    const std::string seen = Seen();
    ::close(inherited);
    std::istringstream lines(seen);
    std::string count, argument, descriptor;
    std::getline(lines, count);
    std::getline(lines, argument);
    EXPECT_EQ(count, "1");
    EXPECT_EQ(argument, path);
    while (std::getline(lines, descriptor)) {
        EXPECT_LE(std::stoi(descriptor), 3) << "descriptor " << descriptor << " was inherited";
    }
    EXPECT_FALSE(fs::exists(root / "injected"));
    EXPECT_FALSE(fs::exists(root / "injected2"));
    EXPECT_FALSE(fs::exists(root / "x"));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(XdgEditorLauncherTest, KeepsANameWithALeadingHyphenFromBeingAnOption) {
    InstallStandIn();
    launcher.OpenInEditor("-n.wht");
    const std::string seen = Seen();
    EXPECT_EQ(seen.substr(0, seen.find('\n', 2) + 1), "1\n./-n.wht\n");
}

TEST_F(XdgEditorLauncherTest, SaysSoWhenThereIsNoXdgOpen) {
    ::setenv("PATH", (root / "bin").c_str(), 1);
    zr640::testing::RecordingMessageBox messages;

    launcher.OpenInEditor("/tmp/a.wht");

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "Fehler");
    EXPECT_EQ(messages.shown[0].text,
              "Der Texteditor konnte nicht gestartet werden: xdg-open fehlt (Paket xdg-utils).");
    EXPECT_EQ(messages.shown[0].style, 0x10u);
    EXPECT_TRUE(messages.shown[0].beepedBefore);
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

}  // namespace
}  // namespace zr640::platform
