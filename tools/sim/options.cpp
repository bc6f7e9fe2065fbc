// SPDX-License-Identifier: GPL-3.0-or-later
#include "options.h"

#include <charconv>
#include <functional>
#include <map>

namespace zr640::sim {

namespace {

constexpr long kMaxMs = 3'600'000;
constexpr long kMaxCount = 1'000'000'000;
constexpr std::size_t kWerknummerBytes = 6;

struct Reader {
    const std::vector<std::string>& arguments;
    std::size_t next = 0;
    std::string error;
};

bool ParseNumber(const std::string& text, long low, long high, long& value) {
    const char* end = text.data() + text.size();
    const auto [stop, status] = std::from_chars(text.data(), end, value);
    return status == std::errc() && stop == end && !text.empty() && value >= low &&
           value <= high;
}

// An option with a value: name, and how the value is taken (false: the error is set).
using ValueSetter = std::function<bool(const std::string& value, SimOptions&, std::string&)>;
using FlagSetter = std::function<void(SimOptions&)>;

ValueSetter Number(long low, long high, std::function<void(SimOptions&, long)> store) {
    return [=](const std::string& value, SimOptions& options, std::string& error) {
        long number = 0;
        if (!ParseNumber(value, low, high, number)) {
            error = "'" + value + "' is not a whole number from " + std::to_string(low) +
                    " to " + std::to_string(high);
            return false;
        }
        store(options, number);
        return true;
    };
}

ValueSetter Text(std::function<void(SimOptions&, const std::string&)> store) {
    return [=](const std::string& value, SimOptions& options, std::string& error) {
        if (value.empty()) {
            error = "needs a non-empty value";
            return false;
        }
        store(options, value);
        return true;
    };
}

const std::map<std::string, ValueSetter>& ValueOptions() {
    static const std::map<std::string, ValueSetter> options = {
        {"--link", Text([](SimOptions& o, const std::string& v) { o.linkPath = v; })},
        {"--interval", Number(0, kMaxMs, [](SimOptions& o, long v) { o.intervalMs = int(v); })},
        {"--frames", Text([](SimOptions& o, const std::string& v) { o.framesPath = v; })},
        {"--baud", Number(50, 4'000'000, [](SimOptions& o, long v) { o.baud = v; })},
        {"--store", Text([](SimOptions& o, const std::string& v) { o.storePath = v; })},
        {"--log", Text([](SimOptions& o, const std::string& v) { o.logPath = v; })},
        {"--transfer-quiet",
         Number(0, kMaxMs, [](SimOptions& o, long v) { o.transferQuietMs = int(v); })},
        {"--werknummer",
         [](const std::string& v, SimOptions& o, std::string& error) {
             if (v.size() > kWerknummerBytes) {
                 error = "takes at most 6 bytes";
                 return false;
             }
             o.werknummer = v;
             return true;
         }},
        {"--wrong-replies",
         Number(0, kMaxCount, [](SimOptions& o, long v) { o.replyFaults.wrongReplies = int(v); })},
        {"--wrong-replies-from", Number(1, kMaxCount,
                                        [](SimOptions& o, long v) {
                                            o.replyFaults.wrongRepliesFrom = int(v);
                                        })},
        {"--silent-after", Number(0, kMaxCount,
                                  [](SimOptions& o, long v) {
                                      o.replyFaults.silentAfterRecords = int(v);
                                  })},
        {"--reply-delay",
         Number(0, kMaxMs, [](SimOptions& o, long v) { o.replyDelayMs = int(v); })},
        {"--cut-frame-every", Number(1, kMaxCount,
                                     [](SimOptions& o, long v) {
                                         o.telemetryFaults.cutFrameEvery = int(v);
                                     })},
        {"--zero-length-every", Number(1, kMaxCount,
                                       [](SimOptions& o, long v) {
                                           o.telemetryFaults.zeroLengthEvery = int(v);
                                       })},
        {"--hangup-after", Number(0, kMaxCount,
                                  [](SimOptions& o, long v) {
                                      o.replyFaults.hangupAfterRecords = int(v);
                                  })},
        {"--unplug-after",
         Number(0, kMaxMs, [](SimOptions& o, long v) { o.unplugAfterMs = int(v); })},
        {"--reopen-after",
         Number(0, kMaxMs, [](SimOptions& o, long v) { o.reopenAfterMs = int(v); })},
    };
    return options;
}

const std::map<std::string, FlagSetter>& FlagOptions() {
    static const std::map<std::string, FlagSetter> options = {
        {"--once", [](SimOptions& o) { o.replayOnce = true; }},
        {"--verbose", [](SimOptions& o) { o.verbose = true; }},
        {"-v", [](SimOptions& o) { o.verbose = true; }},
        {"--exit-on-stdin-eof", [](SimOptions& o) { o.exitOnStdinEof = true; }},
        {"--silent", [](SimOptions& o) { o.replyFaults.silent = true; }},
        {"--garbage", [](SimOptions& o) { o.telemetryFaults.garbage = true; }},
        {"--bad-reply-checksum", [](SimOptions& o) { o.replyFaults.badReplyChecksum = true; }},
    };
    return options;
}

std::string CheckCombination(const SimOptions& options) {
    if (options.replayOnce && options.framesPath.empty()) return "--once needs --frames";
    if (!options.framesPath.empty() && options.intervalMs == 0) {
        return "--frames needs telemetry: an --interval above 0, no --no-telemetry";
    }
    if (options.reopenAfterMs >= 0 && options.replyFaults.hangupAfterRecords < 0 &&
        options.unplugAfterMs < 0) {
        return "--reopen-after needs --hangup-after or --unplug-after";
    }
    return "";
}

// One option that takes a value, as "--name=value" or "--name value" (then `i` moves on to the
// value): false with the error in `result` when it cannot be taken.
bool TakeValueOption(const std::vector<std::string>& arguments, std::size_t& i,
                     CommandLine& result) {
    const std::string& argument = arguments[i];
    const std::size_t equals = argument.find('=');
    const std::string name = argument.substr(0, equals);
    const auto option = ValueOptions().find(name);
    if (FlagOptions().contains(name) || name == "--no-telemetry") {
        result.error = name + " takes no value";
        return false;
    }
    if (option == ValueOptions().end()) {
        result.error = argument.starts_with("-") ? "unknown option '" + name + "'"
                                                 : "unexpected argument '" + argument + "'";
        return false;
    }
    std::string value;
    if (equals != std::string::npos) {
        value = argument.substr(equals + 1);
    } else if (i + 1 < arguments.size()) {
        value = arguments[++i];
    } else {
        result.error = name + " needs a value";
        return false;
    }
    std::string error;
    if (!option->second(value, result.options, error)) {
        result.error = name + ": " + error;
        return false;
    }
    return true;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine result;
    bool noTelemetry = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            result.outcome = CommandLineOutcome::Help;
            return result;
        }
        if (argument == "--version") {
            result.outcome = CommandLineOutcome::Version;
            return result;
        }
        if (argument == "--no-telemetry") {
            noTelemetry = true;
        } else if (const auto flag = FlagOptions().find(argument); flag != FlagOptions().end()) {
            flag->second(result.options);
        } else if (!TakeValueOption(arguments, i, result)) {
            result.outcome = CommandLineOutcome::Error;
            return result;
        }
    }
    if (noTelemetry) result.options.intervalMs = 0;
    result.error = CheckCombination(result.options);
    if (!result.error.empty()) result.outcome = CommandLineOutcome::Error;
    return result;
}

namespace {

constexpr const char kUsageText[] = R"(Usage: zr640-sim [OPTION]...
Plays the ZR640 flight instrument on a pseudo-terminal. The first line of standard output
is the path of the terminal's slave side, for the tool to open; later lines report events:
"stored PATH", "hangup", "reopened PATH", "replay sent" (the last byte of a --once replay
has gone to the line). SIGINT and SIGTERM end the simulator cleanly,
SIGUSR1 writes the --store file.

Line:
  --link PATH            make PATH a symbolic link to the slave (removed on exit); an
                         existing symbolic link there is replaced, any other file is not
  --baud B               pace both directions like a line at B baud, 10 bits per byte:
                         bytes leave no faster, and an answer waits until the sentence
                         could have arrived (default: unpaced)
  --exit-on-stdin-eof    end when standard input reaches its end

Telemetry:
  --interval MS          one frame every MS milliseconds (default 1000; 0: none)
  --no-telemetry         send no frames (as --interval 0)
  --frames FILE          replay FILE instead of the built-in flight: one frame per line in
                         hexadecimal digits ("24 41 06 37 01 99"), '#' starts a comment,
                         blank lines are skipped; frames are sent as they stand, in a loop
  --once                 replay the --frames file once, then send no more frames
  --werknummer TEXT      device number in the status frames (at most 6 bytes; default A1234)
  --transfer-quiet MS    telemetry pauses for MS after every line from the tool (default
                         2500), so that it does not run into the replies of an upload; a
                         frame being sent when the tool speaks is broken off

Instrument memory:
  --store FILE           write the waypoint list and the task to FILE on SIGUSR1, at a
                         hang-up and on exit: "[waypoints]" with the nine fields of each
                         waypoint, "[task]" with name,id of each route point, bytes as
                         received

Answers (every answer is a sentence "$...*HH" with CR LF):
  $KTWPI,Update|Replace  -> $KTWPO,<mode>,<waypoints held> (Replace empties the list)
  $KTWPU,<9 fields>      -> $KTWPA,<n>, n counting the records of this upload; a record
                            replaces a held waypoint of the same name (field 1)
  $KTWPR,1,1,1{,name,id} -> $KTWPS,1,<route points>
  errors                 -> $KTWPE,<reason>[,<identifier>]: CHECKSUM (checksum wrong),
                            FORMAT (no "*HH", wrong fields), LENGTH (line over 4096 bytes),
                            UNKNOWN (identifier), NOTOPEN ($KTWPU before $KTWPI), RETRY
                            (--wrong-replies); lines not beginning with "$" get no answer

Faults:
  --wrong-replies K      answer K sentences with $KTWPE,RETRY,<identifier> (not stored)
  --wrong-replies-from N the first of them is the Nth sentence received (default 1)
  --silent               answer nothing
  --silent-after N       answer N records of an upload, then nothing more at all
  --reply-delay MS       send every answer MS milliseconds late
  --bad-reply-checksum   corrupt the checksum of every answer
  --garbage              send 1 to 7 bytes of garbage (never '$') after every frame
  --cut-frame-every N    send only the first half of every Nth frame
  --zero-length-every N  set Length to 0 in every Nth frame (the frame's bytes follow)
  --hangup-after N       close the line when record N+1 of an upload arrives (once), after
                         writing the --store file
  --unplug-after MS      close the line MS milliseconds after the start (once), as an
                         adapter pulled from its socket
  --reopen-after MS      after the hang-up, open a new terminal MS milliseconds later,
                         move the --link there and print "reopened PATH" (default: exit)

Logging:
  --log FILE             log the traffic to FILE: "rx" every line received and "tx" every
                         answer, byte for byte with \xHH escapes, "frame" every telemetry
                         burst in hexadecimal, "note" what the simulator made of it
  -v, --verbose          log the same to standard error
  -h, --help             show this text
  --version              show the version

Exit status: 0 when ended by a signal, the end of standard input or a hang-up; 1 when the
terminal, a file or a link cannot be set up; 2 for a bad command line.
)";

}  // namespace

std::string UsageText() { return kUsageText; }

}  // namespace zr640::sim
