// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace zr640::sim {

// Bytes as readable text: printable ASCII stands for itself, a backslash is doubled, every
// other byte is written \xHH (upper-case digits), so "$KTWPI,Update*6C\r\n" reads
// "$KTWPI,Update*6C\x0D\x0A" and an a-umlaut in Windows-1252 reads \xE4.
std::string HexEscaped(std::string_view bytes);

// The traffic the simulator sees and makes, one line per event:
//   rx <escaped line from the tool>      every received line, byte for byte
//   tx <escaped reply>                   every reply, when it is queued
//   frame <n> <description>: <hex bytes> every telemetry burst
//   note <text>                          what the simulator made of a line, faults, signals
// Goes to a file (--log) and/or standard error (-v); without either it writes nothing.
class TrafficLog {
public:
    TrafficLog() = default;
    TrafficLog(const TrafficLog&) = delete;
    TrafficLog& operator=(const TrafficLog&) = delete;
    ~TrafficLog();

    // False with `error` set when the file cannot be opened.
    bool Open(const std::string& path, bool toStandardError, std::string& error);

    void Received(std::string_view line) { Write("rx " + HexEscaped(line)); }
    void Sent(std::string_view reply) { Write("tx " + HexEscaped(reply)); }
    void Frame(int number, const std::string& description, std::string_view bytes);
    void Note(const std::string& text) { Write("note " + text); }

private:
    void Write(const std::string& line);

    std::FILE* file_ = nullptr;
    bool toStandardError_ = false;
};

}  // namespace zr640::sim
