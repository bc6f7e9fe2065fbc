// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdio>
#include <string>

namespace zr640 {

// The longest line of a waypoint file, line end not counted: what the 512-byte line buffer of
// the instrument's tools has always held.
inline constexpr int kMaxWaypointLineLength = 511;

enum class WaypointLineStatus {
    Line,                    // a record line, in Text()
    End,                     // no further line
    TooLong,                 // over kMaxWaypointLineLength characters
    ZeroByte,                // a zero byte, which would end the text early
    TextAfterCarriageReturn, // more than a line end follows the first carriage return
    ReadError,               // the file could not be read on
};

// Reads a waypoint file line by line in constant memory, only ever for reading. A line ends
// at a line feed or at the end of the file; it is cut at its first carriage return; lines
// that are empty after the cut are skipped. A line that cannot be sent as it stands is
// reported by its status instead of being cut down or split.
class WaypointFileReader {
public:
    WaypointFileReader() = default;
    ~WaypointFileReader();
    WaypointFileReader(const WaypointFileReader&) = delete;
    WaypointFileReader& operator=(const WaypointFileReader&) = delete;

    // False when the file cannot be opened for reading.
    bool Open(const std::string& path);
    // Back to the first line, for a second pass over the same open file; false when the file
    // cannot be read from its start again.
    bool Rewind();
    WaypointLineStatus Next();
    // The current line as zero-terminated text, valid until the next call of Next().
    const char* Text() const { return line_.data(); }
    int Length() const { return length_; }
    // The number of the current (or offending) line in the file, counted from 1.
    long LineNumber() const { return lineNumber_; }

private:
    // The next byte of the file, or EOF.
    int NextByte();
    // Reads one line up to its line feed or the end of the file; End when none is left.
    WaypointLineStatus ReadPhysicalLine();

    std::FILE* file_ = nullptr;
    std::array<char, 4096> block_{};
    std::size_t blockLength_ = 0;
    std::size_t blockPos_ = 0;
    std::array<char, kMaxWaypointLineLength + 1> line_{};
    int length_ = 0;
    long lineNumber_ = 0;
};

}  // namespace zr640
