// SPDX-License-Identifier: GPL-3.0-or-later
// The real ThreadJobRunner and controller over the real zr640-sim: each transfer's job on a
// thread of its own, the test's thread as the dialog's (ticks, commands, what the job posts).
// Built with the tsan preset, ThreadSanitizer watches every course; it must find nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/main_dialog_controller.h"
#include "backends/posix/ini_profile_file.h"
#include "backends/posix/posix_serial_device.h"
#include "backends/posix/xdg_editor_launcher.h"
#include "closed_route_dialog.h"
#include "dialog_loop.h"
#include "fake_dialog_controls.h"
#include "recording_clipboard.h"
#include "recording_message_box.h"
#include "sim_process.h"
#include "test_files.h"

namespace zr640 {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The device over the simulator's pseudo-terminal as a line whose bytes leave at 1200 baud: the
// terminal takes every write at once, so the time a real adapter's queue needs is made up, and
// a cancel can come while the port waits for a sentence to leave.
class SlowWire final : public platform::PosixSerialDevice {
public:
    using PosixSerialDevice::PosixSerialDevice;
    bool Purge(std::uint32_t flags) override {
        if ((flags & platform::kPurgeTxClear) != 0) sentUntil_ = Clock::now();
        return PosixSerialDevice::Purge(flags);
    }
    int Write(const std::uint8_t* bytes, int length, std::uint32_t timeoutMs) override {
        const int taken = PosixSerialDevice::Write(bytes, length, timeoutMs);
        sentUntil_ = std::max(sentUntil_, Clock::now()) + kByteTime * std::max(taken, 0);
        return taken;
    }
    int OutputQueued() override {
        const Clock::duration left = sentUntil_ - Clock::now();
        return left > Clock::duration::zero() ? static_cast<int>(left / kByteTime) + 1 : 0;
    }

private:
    static constexpr std::chrono::microseconds kByteTime{8334};
    Clock::time_point sentUntil_;
};

struct PathChooser final : platform::FileChooser {
    bool ChooseFile(const platform::FileChooserRequest&, std::string& chosen) override {
        chosen = path;
        return true;
    }
    std::string path;
};

// One course: the simulator on its link, the controller over it, and what the user saw.
struct Course {
    explicit Course(const std::vector<std::string>& simOptions) {
        std::vector<std::string> options = simOptions;
        options.insert(options.end(), {"--link", directory.File("line")});
        EXPECT_TRUE(sim.Start(options)) << sim.Error();
        config.Device = directory.File("line");
        config.ConfigFilePath = directory.File("zr640.ini");
        testing::WriteBytes(config.ConfigFilePath, "[Strecke]\r\n");
        controller.emplace(config, ControllerServices{wire, chooser, editor, clock, loop.jobs,
                                                      clipboard, platform::kLinuxTextConvention,
                                                      profile, routeDialog});
        controller->OnInitDialog(dialog);
    }
    void Command(int id) { controller->OnCommand(id); }
    void Choose(const std::string& fileText) {
        testing::WriteBytes(chooser.path = directory.File("waypoints.wht"), fileText);
        Command(IDC_CHOOSE);
    }
    bool Logged(const std::string& begin) const {
        const std::vector<std::string>& log = dialog.list.entries;
        return std::any_of(log.begin(), log.end(),
                           [&begin](const std::string& line) { return line.rfind(begin, 0) == 0; });
    }
    bool Until(const std::string& begin, std::chrono::milliseconds limit = 10s) {
        return loop.RunUntil(*controller, [this, begin] { return Logged(begin); }, limit);
    }

    testing::TemporaryDirectory directory;
    testing::RecordingMessageBox boxes;
    test::SimProcess sim;
    AppConfig config;
    SlowWire wire{directory.File("line")};
    PathChooser chooser;
    platform::XdgEditorLauncher editor;
    platform::SteadyClock clock;
    platform::IniProfileFile profile;
    testing::ClosedRouteDialog routeDialog;
    testing::RecordingClipboard clipboard;
    testing::FakeDialogControls dialog;
    testing::DialogLoop loop;
    std::optional<MainDialogController> controller;
};

const std::string kLongRecord =
    "Lauf-Lillinghof,EDQI," + std::string(200, 'x') + "," + std::string(180, 'y') + "\r\n";
const std::vector<std::string> kAnswering = {"--no-telemetry"};

struct CourseRow {
    const char* name;
    std::vector<std::string> simOptions;
    std::function<void(Course&)> play;
};

TEST(ThreadedController, EveryCourseEndsAsTheUserAskedWithTheJobOnAThreadOfItsOwn) {
    const CourseRow rows[] = {
        {"an upload answered", kAnswering, [](Course& c) {
             c.Choose("Bayreuth,EDQD\r\nOschersleben,EDOL\r\nAalen,EDPA\r\n");
             c.Command(IDC_REPLACE);
             EXPECT_TRUE(c.Until("Replace fertig, 3 S\xE4tze")); }},
        // The record takes 3.4 s on the wire, the attempt 2 s: the cancel must cut either.
        {"cancelled in a write", kAnswering, [](Course& c) {
             c.Choose(kLongRecord), c.Command(IDC_REPLACE);
             ASSERT_TRUE(c.Until("WP   1:"));
             c.Command(IDC_CANCEL);
             EXPECT_TRUE(c.Until("Abbruch durch Benutzer nach 0 S\xE4tzen", 1500ms)); }},
        {"the dialog destroyed mid-job", kAnswering, [](Course& c) {
             c.Choose(kLongRecord), c.Command(IDC_UPDATE);
             ASSERT_TRUE(c.Until("WP   1:"));
             c.controller->OnDestroy();
             const std::size_t shown = c.dialog.list.entries.size();
             c.loop.jobs.RunPosted();
             EXPECT_FALSE(c.dialog.timerRunning);
             EXPECT_EQ(c.dialog.list.entries.size(), shown) << "a report after the end";
             c.controller.reset(); }},
    };
    for (const CourseRow& row : rows) {
        SCOPED_TRACE(row.name);
        Course course(row.simOptions);
        row.play(course);
        // Every transfer has ended and given its commands back, or the dialog has gone.
        EXPECT_TRUE(!course.controller || course.loop.RunUntil(*course.controller, [&course] {
            return !course.controller->TransferRunning() && course.dialog.disabled.empty();
        }));
        course.controller.reset();
        EXPECT_TRUE(course.boxes.shown.empty()) << course.boxes.shown.front().text;
    }
}

}  // namespace
}  // namespace zr640
