// SPDX-License-Identifier: GPL-3.0-or-later
#include "telemetry/records.h"

#include <charconv>
#include <cstdio>
#include <utility>

#include "telemetry/angle_format.h"
#include "telemetry/device_float.h"
#include "telemetry/number_text.h"
#include "protocol/telemetry_frame.h"

namespace zr640 {

namespace {

constexpr int kWorksNumberOffset = 5;
constexpr int kWorksNumberBytes = 6;
// The nearest double to one tenth: raw values are multiplied by it, not divided by ten.
constexpr double kTenth = 0.1;
constexpr double kDistanceScale = 10.0;
// Room for the longest line either record can give (480 characters).
constexpr std::size_t kLineCapacity = 512;

// 16-bit fields are little-endian and mostly at odd offsets, so they are read byte by byte.
unsigned Unsigned16(const std::uint8_t* frame, int offset) {
    return frame[offset] | (static_cast<unsigned>(frame[offset + 1]) << 8);
}

int Signed16(const std::uint8_t* frame, int offset) {
    return static_cast<std::int16_t>(Unsigned16(frame, offset));
}

int Signed8(const std::uint8_t* frame, int offset) {
    return static_cast<std::int8_t>(frame[offset]);
}

double AngleDegrees(const std::uint8_t* frame, int offset) {
    return RadiansToDegrees(DeviceFloat(frame + offset));
}

// One record's line: "Reading %5d Satznr %d " and then items of label, colon, value and a
// blank; the last item's blank becomes the line feed.
class RecordLine {
public:
    RecordLine(const std::uint8_t* frame, std::int32_t frameCounter) {
        text_.reserve(kLineCapacity);
        char head[48];
        std::snprintf(head, sizeof head, "Reading %5d Satznr %d ", frameCounter,
                      frame[kRecordTypeOffset]);
        text_ += head;
    }

    void Integer(const char* label, int value) {
        Label(label);
        char digits[16];
        text_.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
        text_ += ' ';
    }

    void Fixed2(const char* label, double value) {
        Label(label);
        AppendFixed(text_, value, 2);
        text_ += ' ';
    }

    void Hex2(const char* label, unsigned value) {
        Label(label);
        char digits[16];
        std::snprintf(digits, sizeof digits, "%02x ", value);
        text_ += digits;
    }

    void Text(const char* label, const char* value) {
        Label(label);
        text_ += value;
        text_ += ' ';
    }

    // "Label: %f %s ": the degrees with six decimals, then degrees, minutes and seconds.
    void Position(const char* label, double degrees, bool longitude) {
        Label(label);
        text_ += ' ';
        AppendFixed(text_, degrees, 6);
        text_ += ' ';
        text_ += FormatAngleDms(degrees, longitude);
        text_ += ' ';
    }

    std::string Finish() {
        text_.back() = '\n';
        return std::move(text_);
    }

private:
    void Label(const char* label) {
        text_ += label;
        text_ += ':';
    }

    std::string text_;
};

}  // namespace

std::string FormatFlightDataRecord(const std::uint8_t* frameBuffer, std::int32_t frameCounter) {
    const std::uint8_t* f = frameBuffer;
    RecordLine line(f, frameCounter);
    // Bytes 5 to 8 are not decoded.
    line.Integer("FlugZeitSek", static_cast<int>(Unsigned16(f, 9)));
    line.Fixed2("AktivDistanz", Unsigned16(f, 11) * kDistanceScale);
    line.Integer("SDTHoehe", static_cast<int>(Unsigned16(f, 13)));
    line.Integer("QFEHoehe", static_cast<int>(Unsigned16(f, 15)));
    line.Integer("LoggerFixZaehler", static_cast<int>(Unsigned16(f, 17)));
    line.Integer("DeltaV", Signed16(f, 19));
    line.Integer("GleitPfadDifferenz", Signed16(f, 21));
    line.Fixed2("VarioMittelwert", Signed16(f, 23) * kTenth);
    line.Fixed2("Nettovario", Signed16(f, 25) * kTenth);
    line.Fixed2("Vario", Signed16(f, 27) * kTenth);
    line.Fixed2("TAS", Unsigned16(f, 29) * kTenth);
    line.Fixed2("Groundspeed", Unsigned16(f, 31) * kTenth);
    line.Fixed2("Track", Signed16(f, 33) * kTenth);
    line.Position("Breite", AngleDegrees(f, 35), false);
    line.Position("Laenge", AngleDegrees(f, 39), true);
    line.Integer("DiffWinkel", Signed16(f, 43));
    return line.Finish();
}

std::string FormatDeviceStatusRecord(const std::uint8_t* frameBuffer,
                                     std::int32_t frameCounter) {
    const std::uint8_t* f = frameBuffer;
    // Up to six bytes or the first zero, always terminated within the copy.
    char worksNumber[kWorksNumberBytes + 4] = {};
    for (int i = 0; i < kWorksNumberBytes && f[kWorksNumberOffset + i] != 0; ++i) {
        worksNumber[i] = static_cast<char>(f[kWorksNumberOffset + i]);
    }

    RecordLine line(f, frameCounter);
    line.Text("Werknummer", worksNumber);
    line.Integer("Schalterstellung", f[11]);
    line.Hex2("Menu", f[12]);
    line.Integer("MCPoti", f[13]);
    line.Integer("WindPoti", Signed8(f, 14));
    line.Fixed2("WindKomponente", Signed16(f, 15) * kTenth);
    line.Fixed2("WindEmpfehlung", Signed16(f, 17) * kTenth);
    line.Fixed2("WindVektorBetrag", Signed16(f, 19) * kTenth);
    line.Fixed2("WindVektorBogen", AngleDegrees(f, 21));
    return line.Finish();
}

}  // namespace zr640
