// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>

namespace zr640 {

// A telemetry frame as the instrument sends it: '$', Tag, Length (bytes of the whole frame,
// at most 255), CheckByte, RecordType, then the record body. It is kept in a buffer of 256
// bytes, zero behind the frame's end, and the decoders read it at fixed offsets.
inline constexpr int kFrameBufferSize = 256;
using FrameBytes = std::array<std::uint8_t, kFrameBufferSize>;

inline constexpr std::uint8_t kFrameStart = 0x24;
inline constexpr int kTagOffset = 1;
inline constexpr int kLengthOffset = 2;
inline constexpr int kCheckByteOffset = 3;
inline constexpr int kRecordTypeOffset = 4;
// Dollar sign, Tag and Length: read before the frame's length is known.
inline constexpr int kFrameHeaderBytes = 3;

// The two record types with a layout of their own, and their frames' lengths.
inline constexpr int kFlightDataRecordType = 0;
inline constexpr int kDeviceStatusRecordType = 2;
inline constexpr int kFlightDataFrameLength = 45;
inline constexpr int kDeviceStatusFrameLength = 25;

}  // namespace zr640
