// What scripts/demo prepares, short of building and of the dialog: its configuration read by
// the tool's own loader, its waypoint file, and its simulator reached through the configured
// device with the tool's own port and frame reader.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/quit_request.h"
#include "config/configuration.h"
#include "fake_dialog_controls.h"
#include "platform/clock.h"
#include "backends/posix/ini_profile_file.h"
#include "backends/posix/posix_serial_device.h"
#include "recording_message_box.h"
#include "serial/com_port.h"
#include "sim_process.h"
#include "telemetry/telemetry_reader.h"

namespace zr640 {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs a function of scripts/lib/demo.sh from the source tree: its standard output.
std::string RunDemoFunction(const std::string& call) {
    const std::string command = "cd '" ZR640_SOURCE_DIR "' && . scripts/lib/demo.sh && " + call;
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char bytes[256];
        std::size_t count = 0;
        while ((count = fread(bytes, 1, sizeof bytes, pipe)) > 0) output.append(bytes, count);
        pclose(pipe);
    }
    return output;
}

class DemoSetup : public ::testing::Test {
protected:
    DemoSetup() {
        char pattern[] = "/tmp/zr640-demo-test-XXXXXX";
        dir = mkdtemp(pattern);
        link = dir + "/ttyZR640";
        ResetQuitRequest();
    }
    ~DemoSetup() override {
        ResetQuitRequest();
        std::system(("rm -rf '" + dir + "'").c_str());
    }

    std::string dir;
    std::string link;
    testing::RecordingMessageBox messageBoxes;
};

TEST_F(DemoSetup, PreparesAConfigurationThatPointsAtTheSimulator) {
    RunDemoFunction("demo_prepare '" + dir + "' '" + link + "'");
    EXPECT_EQ(ReadFile(dir + "/waypoints/sample.wht"),
              ReadFile(ZR640_SOURCE_DIR "/tools/sim/data/sample.wht"));

    platform::IniProfileFile profile;
    AppConfig config;
    LoadConfiguration(profile, dir, '/', config);
    LoadDeviceSetting(profile, config);
    ASSERT_FALSE(QuitRequested());
    EXPECT_TRUE(messageBoxes.shown.empty());
    EXPECT_EQ(config.PortNumber, 1);
    EXPECT_EQ(config.BaudRate, 4800);
    EXPECT_EQ(config.Parity, 'N');
    EXPECT_EQ(config.DataBits, 8);
    EXPECT_EQ(config.StopBits, 1);
    EXPECT_EQ(config.Device, link);
    ASSERT_EQ(config.RouteCount, 4);
    EXPECT_STREQ(config.Route.slot[0].Field(1), "Lauf-Lilling");  // MaxLaengeName1 12
    EXPECT_STREQ(config.Route.slot[2].Field(1), "Hetzleser Be");
    EXPECT_STREQ(config.Route.slot[3].Field(2), "EDQD");

    // The simulator as the demo starts it, reached the way the tool reaches it.
    std::vector<std::string> arguments;
    std::istringstream lines(RunDemoFunction("demo_sim_arguments '" + dir + "' '" + link + "'"));
    for (std::string argument; std::getline(lines, argument);) arguments.push_back(argument);
    ASSERT_FALSE(arguments.empty());
    test::SimProcess sim;
    ASSERT_TRUE(sim.Start(arguments)) << sim.Error();

    platform::PosixSerialDevice device(config.Device);
    testing::FakeDialogControls dialog;
    ComPort record;
    record.device = &device;
    record.indicators = &dialog;
    ComPort* port = OpenComPort(record, config.PortNumber, config.BaudRate, config.Parity,
                                config.DataBits, config.StopBits, 256);
    ASSERT_NE(port, nullptr);
    platform::SteadyClock clock;
    TelemetryReader reader;
    for (int step = 0; step < 200 && reader.FrameCounter == 0; ++step) {
        WaitComInput(port, 2000);
        PollTelemetry(port, reader, dialog, &dialog.log, clock);
    }
    ASSERT_EQ(dialog.list.entries.size(), 1U);
    EXPECT_EQ(dialog.list.entries[0].rfind("Reading     1 Satznr 0 FlugZeitSek:", 0), 0U)
        << dialog.list.entries[0];
    CloseComPort(port);
    EXPECT_EQ(sim.Stop(SIGTERM), 0);
    EXPECT_EQ(ReadFile(dir + "/instrument-memory.txt"),
              "# zr640-sim memory\n[waypoints]\n[task]\n");
    EXPECT_NE(ReadFile(dir + "/zr640-sim.log").find("frame 1 type 0: 24 41 2D"),
              std::string::npos);
}

}  // namespace
}  // namespace zr640
