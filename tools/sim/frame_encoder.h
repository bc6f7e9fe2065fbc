// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "protocol/telemetry_frame.h"

namespace zr640::sim {

using Bytes = std::vector<std::uint8_t>;

// The Tag this instrument puts in its frames; the layout is the tool's own.
inline constexpr std::uint8_t kFrameTag = 0x41;  // 'A'

// A flight data record in the units the instrument puts on the line: the integers as they
// are stored (tenths where the tool scales by 0.1, tens of metres for the distance), the
// angles in radians.
struct FlightDataValues {
    std::array<std::uint8_t, 4> undecoded{};
    std::uint16_t flugZeitSek = 0;
    std::uint16_t aktivDistanz = 0;
    std::uint16_t sdtHoehe = 0;
    std::uint16_t qfeHoehe = 0;
    std::uint16_t loggerFixZaehler = 0;
    std::int16_t deltaV = 0;
    std::int16_t gleitPfadDifferenz = 0;
    std::int16_t varioMittelwert = 0;
    std::int16_t nettovario = 0;
    std::int16_t vario = 0;
    std::uint16_t tas = 0;
    std::uint16_t groundspeed = 0;
    std::int16_t track = 0;
    float breiteRad = 0.0F;
    float laengeRad = 0.0F;
    std::int16_t diffWinkel = 0;
};

struct DeviceStatusValues {
    std::string werknummer;  // at most 6 bytes reach the line
    std::uint8_t schalterstellung = 0;
    std::uint8_t menu = 0;
    std::uint8_t mcPoti = 0;
    std::int8_t windPoti = 0;
    std::int16_t windKomponente = 0;
    std::int16_t windEmpfehlung = 0;
    std::int16_t windVektorBetrag = 0;
    float windVektorBogenRad = 0.0F;
};

// The instrument's 4-byte float: exponent byte first (biased by 129), then sign and
// fraction. Zero and numbers below the smallest magnitude give 00 00 00 00; numbers beyond
// the largest (and infinities) give the largest of their sign; NaN gives zero.
std::array<std::uint8_t, 4> EncodeDeviceFloat(float value);

// Degrees to the radians the instrument sends, the inverse of the tool's value * 90 / acos(0).
float DegreesToDeviceRadians(double degrees);

// The record frames with CheckByte 0; SealFrame sets it.
Bytes EncodeFlightDataFrame(const FlightDataValues& values);
Bytes EncodeDeviceStatusFrame(const DeviceStatusValues& values);
// A frame of a record type without a layout: header and `body`.
Bytes EncodeGenericFrame(std::uint8_t recordType, const Bytes& body);

// The CheckByte rule of this instrument: the exclusive or of every other byte of the frame,
// so that the exclusive or over the whole frame is zero.
std::uint8_t FrameCheckByte(const Bytes& frame);
void SealFrame(Bytes& frame);

}  // namespace zr640::sim
