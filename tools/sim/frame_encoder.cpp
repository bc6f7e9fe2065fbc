// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame_encoder.h"

#include <bit>
#include <cmath>

namespace zr640::sim {

namespace {

constexpr int kIeeeToDeviceExponent = 2;  // device bias 129 against the single's 127
constexpr std::uint32_t kLargestDeviceMagnitude = 0x7EFFFFFFU;  // single exponent 253

void PutLe16(Bytes& frame, int offset, std::uint16_t value) {
    frame[offset] = static_cast<std::uint8_t>(value & 0xFFU);
    frame[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void PutFloat(Bytes& frame, int offset, float value) {
    const auto bytes = EncodeDeviceFloat(value);
    for (int i = 0; i < 4; ++i) frame[offset + i] = bytes[i];
}

Bytes FrameHeader(int length, std::uint8_t recordType) {
    Bytes frame(length, 0);
    frame[0] = kFrameStart;
    frame[kTagOffset] = kFrameTag;
    frame[kLengthOffset] = static_cast<std::uint8_t>(length);
    frame[kCheckByteOffset] = 0;
    frame[kRecordTypeOffset] = recordType;
    return frame;
}

}  // namespace

std::array<std::uint8_t, 4> EncodeDeviceFloat(float value) {
    if (std::isnan(value)) return {0, 0, 0, 0};
    std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
    const std::uint32_t sign = bits & 0x80000000U;
    std::uint32_t magnitude = bits & 0x7FFFFFFFU;
    if (magnitude > kLargestDeviceMagnitude) magnitude = kLargestDeviceMagnitude;
    const std::uint32_t exponent = magnitude >> 23;
    // Subnormal singles (exponent 0) have no device form; they are as good as zero.
    if (exponent == 0) return {0, 0, 0, 0};
    const std::uint32_t fraction = magnitude & 0x7FFFFFU;
    return {static_cast<std::uint8_t>(exponent + kIeeeToDeviceExponent),
            static_cast<std::uint8_t>((sign >> 24) | (fraction >> 16)),
            static_cast<std::uint8_t>((fraction >> 8) & 0xFFU),
            static_cast<std::uint8_t>(fraction & 0xFFU)};
}

float DegreesToDeviceRadians(double degrees) {
    return static_cast<float>(degrees * std::acos(0.0) / 90.0);
}

Bytes EncodeFlightDataFrame(const FlightDataValues& v) {
    Bytes frame = FrameHeader(kFlightDataFrameLength, kFlightDataRecordType);
    for (int i = 0; i < 4; ++i) frame[5 + i] = v.undecoded[i];
    PutLe16(frame, 9, v.flugZeitSek);
    PutLe16(frame, 11, v.aktivDistanz);
    PutLe16(frame, 13, v.sdtHoehe);
    PutLe16(frame, 15, v.qfeHoehe);
    PutLe16(frame, 17, v.loggerFixZaehler);
    PutLe16(frame, 19, static_cast<std::uint16_t>(v.deltaV));
    PutLe16(frame, 21, static_cast<std::uint16_t>(v.gleitPfadDifferenz));
    PutLe16(frame, 23, static_cast<std::uint16_t>(v.varioMittelwert));
    PutLe16(frame, 25, static_cast<std::uint16_t>(v.nettovario));
    PutLe16(frame, 27, static_cast<std::uint16_t>(v.vario));
    PutLe16(frame, 29, v.tas);
    PutLe16(frame, 31, v.groundspeed);
    PutLe16(frame, 33, static_cast<std::uint16_t>(v.track));
    PutFloat(frame, 35, v.breiteRad);
    PutFloat(frame, 39, v.laengeRad);
    PutLe16(frame, 43, static_cast<std::uint16_t>(v.diffWinkel));
    return frame;
}

Bytes EncodeDeviceStatusFrame(const DeviceStatusValues& v) {
    Bytes frame = FrameHeader(kDeviceStatusFrameLength, kDeviceStatusRecordType);
    for (std::size_t i = 0; i < v.werknummer.size() && i < 6; ++i) {
        frame[5 + i] = static_cast<std::uint8_t>(v.werknummer[i]);
    }
    frame[11] = v.schalterstellung;
    frame[12] = v.menu;
    frame[13] = v.mcPoti;
    frame[14] = static_cast<std::uint8_t>(v.windPoti);
    PutLe16(frame, 15, static_cast<std::uint16_t>(v.windKomponente));
    PutLe16(frame, 17, static_cast<std::uint16_t>(v.windEmpfehlung));
    PutLe16(frame, 19, static_cast<std::uint16_t>(v.windVektorBetrag));
    PutFloat(frame, 21, v.windVektorBogenRad);
    return frame;
}

Bytes EncodeGenericFrame(std::uint8_t recordType, const Bytes& body) {
    const std::size_t length = 5 + body.size();
    Bytes frame = FrameHeader(static_cast<int>(length > 255 ? 255 : length), recordType);
    for (std::size_t i = 0; i + 5 < frame.size(); ++i) frame[5 + i] = body[i];
    return frame;
}

std::uint8_t FrameCheckByte(const Bytes& frame) {
    std::uint8_t check = 0;
    for (std::size_t i = 0; i < frame.size(); ++i) {
        if (i != kCheckByteOffset) check = static_cast<std::uint8_t>(check ^ frame[i]);
    }
    return check;
}

void SealFrame(Bytes& frame) {
    if (frame.size() > kCheckByteOffset) frame[kCheckByteOffset] = FrameCheckByte(frame);
}

}  // namespace zr640::sim
