// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator.h"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "frame_file.h"
#include "store_file.h"

namespace zr640::sim {

namespace {

constexpr std::size_t kMaxLineBytes = 4096;
constexpr std::size_t kReadChunk = 4096;
// After a hang-up seen on the master, how long to leave it out of the poll set.
constexpr TimeNs kHangUpBackoffNs = 100 * kNsPerMs;

TimeNs Now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<TimeNs>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

TimeNs ByteTimeNs(long baud) {
    return baud > 0 ? (1'000'000'000LL * kBitsPerByte + baud - 1) / baud : 0;
}

std::string AsText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace

Simulator::Simulator(SimOptions options)
    : options_(std::move(options)),
      instrument_(options_.replyFaults),
      output_(std::make_unique<OutputQueue>(options_.baud)),
      splitter_(kMaxLineBytes) {}

Simulator::~Simulator() {
    if (signalFd_ >= 0) close(signalFd_);
}

int Simulator::Run() {
    if (!SetUp()) return 1;
    Loop();
    WriteStore();
    link_.Remove();
    line_.Close();
    log_.Note("ended");
    return 0;
}

bool Simulator::SetUp() {
    std::string error;
    if (!log_.Open(options_.logPath, options_.verbose, error)) {
        std::fprintf(stderr, "zr640-sim: --log %s\n", error.c_str());
        return false;
    }
    if (!options_.framesPath.empty()) {
        FrameFile file = LoadFrameFile(options_.framesPath);
        if (!file.error.empty()) {
            std::fprintf(stderr, "zr640-sim: --frames %s: %s\n", options_.framesPath.c_str(),
                         file.error.c_str());
            return false;
        }
        telemetry_.emplace(std::move(file.frames), !options_.replayOnce,
                           options_.telemetryFaults);
    } else if (options_.intervalMs > 0) {
        telemetry_.emplace(options_.werknummer, options_.telemetryFaults);
    }

    sigset_t handled;
    sigemptyset(&handled);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGUSR1}) sigaddset(&handled, signal);
    sigprocmask(SIG_BLOCK, &handled, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    signalFd_ = signalfd(-1, &handled, SFD_CLOEXEC | SFD_NONBLOCK);
    if (signalFd_ < 0) {
        std::fprintf(stderr, "zr640-sim: signalfd: %s\n", std::strerror(errno));
        return false;
    }
    standardInputOpen_ = options_.exitOnStdinEof;
    if (!OpenLine()) return false;
    Announce(line_.SlavePath());
    const TimeNs now = Now();
    nextTelemetryAt_ = now + options_.intervalMs * kNsPerMs;
    lastTelemetryAt_ = now;
    if (options_.unplugAfterMs >= 0) unplugAt_ = now + options_.unplugAfterMs * kNsPerMs;
    return true;
}

bool Simulator::OpenLine() {
    std::string error;
    if (!line_.Open(error)) {
        std::fprintf(stderr, "zr640-sim: pseudo-terminal: %s\n", error.c_str());
        return false;
    }
    if (!options_.linkPath.empty() && !link_.Point(options_.linkPath, line_.SlavePath(), error)) {
        std::fprintf(stderr, "zr640-sim: --link %s\n", error.c_str());
        return false;
    }
    log_.Note("line " + line_.SlavePath());
    return true;
}

void Simulator::Loop() {
    while (running_) {
        const TimeNs now = Now();
        DoDueWork(now);
        if (!running_) break;

        const bool watchMaster = line_.IsOpen() && now >= masterIgnoredUntil_;
        pollfd fds[kWatched] = {
            {signalFd_, POLLIN, 0},
            {watchMaster ? line_.Master() : -1,
             static_cast<short>(POLLIN | (stalled_ ? POLLOUT : 0)), 0},
            {standardInputOpen_ ? STDIN_FILENO : -1, POLLIN, 0},
        };
        // Nanosecond time-outs: paced bytes and answers leave on time, not on the next
        // millisecond.
        const std::optional<TimeNs> wake = NextWake(now);
        timespec timeout{};
        if (wake) {
            const TimeNs wait = std::max<TimeNs>(*wake - now, 0);
            timeout.tv_sec = static_cast<time_t>(wait / 1'000'000'000);
            timeout.tv_nsec = static_cast<long>(wait % 1'000'000'000);
        }
        if (ppoll(fds, kWatched, wake ? &timeout : nullptr, nullptr) < 0) {
            if (errno == EINTR) continue;
            std::fprintf(stderr, "zr640-sim: poll: %s\n", std::strerror(errno));
            return;
        }
        HandleReady(fds, Now());
    }
}

void Simulator::DoDueWork(TimeNs now) {
    SendDueReplies(now);
    SendTelemetry(now);
    WriteOutput(now);
    if (unplugAt_ && now >= *unplugAt_) {
        unplugAt_.reset();
        HangUp(now);
    }
    if (reopenAt_ && now >= *reopenAt_) Reopen();
}

void Simulator::HandleReady(const pollfd (&fds)[kWatched], TimeNs now) {
    if (fds[0].revents & POLLIN) HandleSignal();
    const short master = fds[1].revents;
    if (master & POLLIN) ReadFromTool(now);
    if ((master & POLLOUT) && stalled_) {
        stalled_ = false;
        output_->Resume(now);
    }
    if ((master & (POLLHUP | POLLERR)) && !(master & POLLIN) && line_.IsOpen()) {
        // Only when no one holds the slave; we do, so this is a transient state.
        masterIgnoredUntil_ = now + kHangUpBackoffNs;
    }
    if (fds[2].revents & (POLLIN | POLLHUP | POLLERR)) DrainStandardInput();
}

std::optional<TimeNs> Simulator::NextWake(TimeNs now) const {
    TimeNs wake = INT64_MAX;
    if (!replies_.empty()) wake = std::min(wake, replies_.front().due);
    if (telemetry_ && options_.intervalMs > 0) wake = std::min(wake, nextTelemetryAt_);
    if (const auto ready = output_->NextReady(); ready && !stalled_ && line_.IsOpen()) {
        wake = std::min(wake, *ready);
    }
    if (reopenAt_) wake = std::min(wake, *reopenAt_);
    if (unplugAt_) wake = std::min(wake, *unplugAt_);
    if (line_.IsOpen() && masterIgnoredUntil_ > now) wake = std::min(wake, masterIgnoredUntil_);
    if (wake == INT64_MAX) return std::nullopt;
    return wake;
}

void Simulator::SendDueReplies(TimeNs now) {
    while (!replies_.empty() && replies_.front().due <= now) {
        log_.Sent(replies_.front().bytes);
        output_->Push(std::move(replies_.front().bytes), UnitKind::Reply, now);
        replies_.pop_front();
    }
}

void Simulator::SendTelemetry(TimeNs now) {
    if (!telemetry_ || options_.intervalMs <= 0 || now < nextTelemetryAt_) return;
    const TimeNs interval = options_.intervalMs * kNsPerMs;
    nextTelemetryAt_ = std::max(nextTelemetryAt_ + interval, now + interval / 2);
    // Telemetry waits while the tool talks to the instrument, and while the line is busy.
    if (!line_.IsOpen() || now < telemetryHeldUntil_ || !output_->Empty() || !replies_.empty()) {
        return;
    }
    const double elapsedSeconds = static_cast<double>(now - lastTelemetryAt_) / 1e9;
    lastTelemetryAt_ = now;
    std::optional<TelemetryBurst> burst = telemetry_->Next(elapsedSeconds);
    if (!burst) {
        log_.Note("replay finished");
        telemetry_.reset();
        return;
    }
    const std::string bytes = AsText(burst->bytes);
    log_.Frame(burst->frameNumber, burst->description, bytes);
    output_->Push(bytes, UnitKind::Telemetry, now);
    lastFrameQueued_ = telemetry_->Exhausted();
}

void Simulator::WriteOutput(TimeNs now) {
    while (line_.IsOpen() && !stalled_) {
        const std::string_view ready = output_->Ready(now);
        if (ready.empty()) return;
        const ssize_t written = write(line_.Master(), ready.data(), ready.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN) {
                // The tool is not reading and the terminal's buffer is full.
                stalled_ = true;
                return;
            }
            log_.Note(std::string("write failed: ") + std::strerror(errno));
            stalled_ = true;
            return;
        }
        output_->Written(static_cast<std::size_t>(written));
        if (lastFrameQueued_ && output_->Empty()) {
            lastFrameQueued_ = false;
            Announce("replay sent");
        }
    }
}

void Simulator::ReadFromTool(TimeNs now) {
    char bytes[kReadChunk];
    const ssize_t count = read(line_.Master(), bytes, sizeof bytes);
    if (count <= 0) {
        if (count < 0 && errno != EAGAIN && errno != EINTR) {
            masterIgnoredUntil_ = now + kHangUpBackoffNs;
        }
        return;
    }
    // The tool speaks: it listens to no telemetry now, so a frame on its way is broken off.
    if (output_->DropTelemetry()) log_.Note("frame broken off: the tool is speaking");
    telemetryHeldUntil_ = std::max(telemetryHeldUntil_, now + options_.transferQuietMs * kNsPerMs);

    // With pacing, each byte counts as arrived when the line could have carried it.
    const TimeNs byteTime = ByteTimeNs(options_.baud);
    const TimeNs chunkStart = std::max(now, inputFreeAt_);
    inputFreeAt_ = chunkStart + count * byteTime;
    for (ssize_t i = 0; i < count && line_.IsOpen(); ++i) {
        for (const ReceivedLine& line : splitter_.Feed(&bytes[i], 1)) {
            HandleLine(line, chunkStart + (i + 1) * byteTime);
            if (!line_.IsOpen()) return;
        }
    }
}

void Simulator::HandleLine(const ReceivedLine& line, TimeNs arrival) {
    log_.Received(line.bytes);
    const InstrumentAnswer answer = instrument_.HandleLine(line);
    log_.Note(answer.note);
    if (answer.hangUp) {
        HangUp(arrival);
        return;
    }
    if (answer.reply.empty()) return;
    const TimeNs due = arrival + options_.replyDelayMs * kNsPerMs;
    replies_.push_back({due, answer.reply});
    telemetryHeldUntil_ =
        std::max(telemetryHeldUntil_, due + options_.transferQuietMs * kNsPerMs);
}

void Simulator::HandleSignal() {
    signalfd_siginfo info{};
    while (read(signalFd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        if (info.ssi_signo == SIGUSR1) {
            log_.Note("SIGUSR1");
            WriteStore();
        } else {
            log_.Note(std::string("signal ") + strsignal(static_cast<int>(info.ssi_signo)));
            running_ = false;
        }
    }
}

void Simulator::DrainStandardInput() {
    char bytes[256];
    const ssize_t count = read(STDIN_FILENO, bytes, sizeof bytes);
    if (count > 0 || (count < 0 && errno == EINTR)) return;
    log_.Note("standard input ended");
    standardInputOpen_ = false;
    running_ = false;
}

void Simulator::HangUp(TimeNs now) {
    log_.Note("hang-up");
    WriteStore();
    link_.Remove();
    line_.Close();
    output_ = std::make_unique<OutputQueue>(options_.baud);
    replies_.clear();
    splitter_ = LineSplitter(kMaxLineBytes);
    stalled_ = false;
    Announce("hangup");
    if (options_.reopenAfterMs < 0) {
        running_ = false;
        return;
    }
    reopenAt_ = now + options_.reopenAfterMs * kNsPerMs;
}

void Simulator::Reopen() {
    reopenAt_.reset();
    if (!OpenLine()) {
        running_ = false;
        return;
    }
    Announce("reopened " + line_.SlavePath());
}

void Simulator::WriteStore() {
    if (options_.storePath.empty()) return;
    std::string error;
    if (!WriteStoreFile(options_.storePath,
                        FormatStore(instrument_.Waypoints(), instrument_.Task()), error)) {
        log_.Note("store not written: " + error);
        std::fprintf(stderr, "zr640-sim: --store %s\n", error.c_str());
        return;
    }
    log_.Note("stored " + options_.storePath);
    Announce("stored " + options_.storePath);
}

void Simulator::Announce(const std::string& line) {
    std::fprintf(stdout, "%s\n", line.c_str());
    std::fflush(stdout);
}

}  // namespace zr640::sim
