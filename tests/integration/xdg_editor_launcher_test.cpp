// The editor is started through a stand-in xdg-open on PATH that writes down what it got: a
// real process start, without a desktop.
#include "backends/posix/xdg_editor_launcher.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "recording_message_box.h"
#include "test_files.h"

namespace zr640 {
namespace {

TEST(XdgEditorLauncher, HandsThePathOverAsOneArgumentThatNoShellReads) {
    testing::TemporaryDirectory root;
    testing::RecordingMessageBox boxes;
    // Its argument count, its arguments and the descriptors it was left, one a line.
    testing::WriteBytes(root.File("xdg-open"), "#!/bin/sh\n{ echo $#; printf '%s\\n' \"$@\"; ls "
                        "/proc/self/fd; } > " + root.File("part") + " && mv " + root.File("part") +
                        " " + root.File("seen") + "\n");
    std::filesystem::permissions(root.File("xdg-open"), std::filesystem::perms::owner_all);
    ::setenv("PATH", (root.Path() + ":/usr/bin:/bin").c_str(), 1);
    const auto seen = [&root] {  // once it has run; it is not our child, nothing to wait for
        for (int i = 0; i < 1000 && !std::filesystem::exists(root.File("seen")); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        const std::string text = testing::ReadWholeFile(root.File("seen"));
        return std::filesystem::remove(root.File("seen")), text;
    };
    platform::XdgEditorLauncher launcher;
    const int inherited = ::open("/dev/null", O_RDONLY);  // without close-on-exec
    const std::string mark = root.File("shell");
    const std::string path = root.File("Flug; touch " + mark + " $(touch " + mark + ").wht");
    launcher.OpenInEditor(path.c_str());
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1) << "a child was left to reap";
    EXPECT_EQ(seen(), "1\n" + path + "\n0\n1\n2\n3\n");
    ::close(inherited);
    EXPECT_FALSE(std::filesystem::exists(mark));
    launcher.OpenInEditor("-n.wht");  // a name, not an option
    EXPECT_EQ(seen(), "1\n./-n.wht\n0\n1\n2\n3\n");

    ::setenv("PATH", root.File("none").c_str(), 1);
    launcher.OpenInEditor("/tmp/a.wht");
    ASSERT_EQ(boxes.shown.size(), 1u);  // this one alone
    EXPECT_EQ(boxes.shown[0].caption + ": " + boxes.shown[0].text, "Fehler: Der Texteditor konnte "
              "nicht gestartet werden: xdg-open fehlt (Paket xdg-utils).");
    EXPECT_TRUE(boxes.shown[0].style == 0x10u && boxes.shown[0].beepedBefore);
}

}  // namespace
}  // namespace zr640
