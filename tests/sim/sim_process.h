#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace zr640::test {

// The real zr640-sim binary as a child process, for tests that need an instrument on a pty.
//
//   SimProcess sim;
//   ASSERT_TRUE(sim.Start({"--no-telemetry"})) << sim.Error();
//   SlaveLine line;
//   ASSERT_TRUE(line.Open(sim.SlavePath()));
//
// The destructor ends a simulator that still runs (SIGTERM, then SIGKILL).
class SimProcess {
public:
    SimProcess() = default;
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;
    ~SimProcess();

    // The path of the simulator built with the tests.
    static std::string Executable();

    // Starts the simulator with `arguments` and waits for its first line, the slave's path.
    bool Start(const std::vector<std::string>& arguments, int firstLineTimeoutMs = 10000);
    const std::string& SlavePath() const { return slavePath_; }
    const std::string& Error() const { return error_; }
    pid_t Pid() const { return pid_; }

    // The next line of the simulator's standard output, without its line feed.
    std::optional<std::string> ReadLine(int timeoutMs);
    // Closes the simulator's standard input.
    void CloseInput();
    // Sends `signal` and waits for the end: the exit status, or -1 if it did not end in time
    // or was killed by a signal.
    int Stop(int signal, int timeoutMs = 10000);
    // Waits for the end without sending anything.
    int Wait(int timeoutMs);

private:
    pid_t pid_ = -1;
    int pidFd_ = -1;
    int stdoutFd_ = -1;
    int stdinFd_ = -1;
    std::string buffered_;
    std::string slavePath_;
    std::string error_;
};

// Runs the simulator with `arguments` to its end (for --help and bad options): the exit
// status, and what it wrote to standard output and standard error.
struct SimResult {
    int status = -1;
    std::string out;
    std::string err;
};
SimResult RunSimToEnd(const std::vector<std::string>& arguments, int timeoutMs = 10000);

// The tool's end of the line: the slave side in raw mode.
class SlaveLine {
public:
    SlaveLine() = default;
    SlaveLine(const SlaveLine&) = delete;
    SlaveLine& operator=(const SlaveLine&) = delete;
    ~SlaveLine() { Close(); }

    bool Open(const std::string& path);
    void Close();
    int Fd() const { return fd_; }

    bool Write(const std::string& bytes);
    // Throws away what has been received and not read (as the tool does before each write).
    void DiscardInput();
    // Frames "$BODY" with its checksum and CR LF, discards pending input, writes it.
    bool SendSentence(const std::string& dollarAndBody);
    // Bytes up to and including the next line feed; empty when none came in time or the
    // line was closed.
    std::optional<std::string> ReadLine(int timeoutMs);
    // Exactly `count` bytes, or fewer if they did not come in time.
    std::string ReadBytes(std::size_t count, int timeoutMs);
    // True once the simulator has closed its side (read gives EIO or end of file).
    bool HungUp() const { return hungUp_; }

private:
    int ReadSome(char* bytes, std::size_t size, int timeoutMs);

    int fd_ = -1;
    bool hungUp_ = false;
};

}  // namespace zr640::test
