// SPDX-License-Identifier: GPL-3.0-or-later
// The simulator's instrument, telemetry and line played from the scripts in tests/data/sim
// (*.txt, their steps in README.md there); what it makes of each step is compared with the
// golden file beside the script (*.log). ZR640_REGENERATE_GOLDEN=1 rewrites the goldens.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "frame_file.h"
#include "options.h"
#include "output_queue.h"
#include "serial/sentence.h"
#include "store_file.h"
#include "telemetry/telemetry_reader.h"
#include "test_files.h"
#include "traffic_log.h"

namespace zr640::sim {
namespace {

// Short, so that the scripts can show an overlong line; the simulator's own limit is larger.
constexpr std::size_t kLongestLine = 64;

std::string Unescaped(const std::string& text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool hex = text.compare(i, 2, "\\x") == 0;
        bytes += hex ? static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16)) : text[i];
        i += hex ? 3 : 0;
    }
    return bytes;
}

class Script {
public:
    std::string Run(std::istream& steps) {
        for (std::string step; std::getline(steps, step);) {
            if (step.starts_with("#")) Out(step);
            if (step.starts_with("sim")) Start(step);
            if (step.starts_with("$")) Feed(FrameSentence(Unescaped(step)));
            if (step.starts_with("raw ")) Feed(Unescaped(step.substr(4)));
            if (step.starts_with("tick ")) Tick(std::stod(step.substr(5)));
            if (step.starts_with("at ")) {
                now_ = static_cast<TimeNs>(std::stod(step.substr(3)) * kNsPerMs + 0.5);
                const std::string carried = "line " + HexEscaped(Carry());
                const std::optional<TimeNs> next = line_.NextReady();
                Out(carried + (next ? ", next byte at " + std::to_string(*next) + " ns" : ""));
            }
            if (step == "store") out_ += FormatStore(instrument_.Waypoints(), instrument_.Task());
        }
        return out_;
    }

private:
    void Start(const std::string& step) {
        Out(step);
        std::istringstream words(step.substr(3));
        const CommandLine command = ParseCommandLine(
            {std::istream_iterator<std::string>(words), std::istream_iterator<std::string>()});
        if (command.outcome != CommandLineOutcome::Run) {
            return Out(command.outcome == CommandLineOutcome::Help ? UsageText() : command.error);
        }
        const SimOptions& o = command.options;
        instrument_ = Instrument(o.replyFaults);
        quietNs_ = o.transferQuietMs * kNsPerMs;
        line_ = OutputQueue(o.baud);
        now_ = quietUntil_ = 0;
        telemetry_.reset();
        if (!o.framesPath.empty()) {
            const FrameFile file = LoadFrameFile(ZR640_SIM_SCRIPT_DIR "/" + o.framesPath);
            if (!file.error.empty()) return Out(file.error);
            telemetry_.emplace(file.frames, !o.replayOnce, o.telemetryFaults);
        } else if (o.intervalMs > 0) {
            telemetry_.emplace(o.werknummer, o.telemetryFaults);
        }
    }

    // As the simulator logs a line from the tool and answers it.
    void Feed(const std::string& bytes) {
        if (line_.DropTelemetry()) Out("note frame broken off: the tool is speaking");
        quietUntil_ = now_ + quietNs_;
        for (const ReceivedLine& line : splitter_.Feed(bytes.data(), bytes.size())) {
            Out("rx " + HexEscaped(line.bytes));
            const InstrumentAnswer answer = instrument_.HandleLine(line);
            Out("note " + answer.note + (answer.hangUp ? ", hang-up" : ""));
            if (!answer.reply.empty()) Out("tx " + HexEscaped(answer.reply));
            line_.Push(answer.reply, UnitKind::Reply, now_);
        }
    }

    void Tick(double seconds) {
        Carry();  // telemetry waits while the line is busy and while the tool talks
        const bool quiet = !line_.Empty() || now_ < quietUntil_;
        const auto burst = telemetry_ && !quiet ? telemetry_->Next(seconds) : std::nullopt;
        if (!burst) return Out("no frame");
        const std::string bytes(burst->bytes.begin(), burst->bytes.end());
        Out("frame " + std::to_string(burst->frameNumber) + " " + burst->description + ": " +
            HexEscaped(bytes));
        line_.Push(bytes, UnitKind::Telemetry, now_);
        if (telemetry_->Exhausted()) Out("last frame of the replay");
        const std::size_t length = burst->bytes.size() > 2 ? burst->bytes[2] : 0;
        if (length > 4 && length <= burst->bytes.size()) {
            FrameBytes frame{};
            std::copy_n(burst->bytes.begin(), length, frame.begin());
            out_ += "tool " + FrameLogLine(frame, burst->frameNumber);
        }
    }

    // What the line has carried to the tool by now.
    std::string Carry() {
        std::string carried;
        for (std::string_view part; !(part = line_.Ready(now_)).empty();) {
            carried += part;
            line_.Written(part.size());
        }
        return carried;
    }

    void Out(const std::string& text) { out_ += text + "\n"; }

    std::string out_;
    Instrument instrument_{ReplyFaults{}};
    LineSplitter splitter_{kLongestLine};
    OutputQueue line_{0};
    TimeNs now_ = 0;
    TimeNs quietNs_ = 0;
    TimeNs quietUntil_ = 0;
    std::optional<TelemetrySource> telemetry_;
};

TEST(SimScripts, EveryScriptGivesItsGoldenLog) {
    const std::set<std::string> names = {"upload", "bad_lines", "reply_faults", "telemetry",
                                         "pacing", "options"};
    for (const std::string& name : names) {
        std::ifstream steps(ZR640_SIM_SCRIPT_DIR "/" + name + ".txt", std::ios::binary);
        testing::ExpectGolden(ZR640_SIM_SCRIPT_DIR "/" + name + ".log", Script().Run(steps));
    }
    EXPECT_EQ(testing::NamesIn(ZR640_SIM_SCRIPT_DIR, ".txt"), names);
    EXPECT_EQ(testing::NamesIn(ZR640_SIM_SCRIPT_DIR, ".log"), names);
}

}  // namespace
}  // namespace zr640::sim
