// SPDX-License-Identifier: GPL-3.0-or-later
// COMSETTINGS values of any bytes, against the C library's sscanf with the same pattern wherever
// that is defined (no number beyond the range of its field): the same values taken, and the
// message and the quit request exactly when sscanf takes fewer than five.
#include <regex>

#include "config/configuration.h"
#include "fuzz_support.h"
#include "platform/quit_request.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::regex tenDigits("[0-9]{10}");  // nine digits always fit
    // As the INI reader hands it over: up to a zero byte.
    const std::string value = std::string(reinterpret_cast<const char*>(data), size).c_str();
    zr640::fuzz::messages.shown.clear();
    zr640::ResetQuitRequest();
    zr640::AppConfig c;
    zr640::ParseComSettings(value.c_str(), c);
    ZR640_REQUIRE(zr640::fuzz::messages.shown.size() == (zr640::QuitRequested() ? 1u : 0u));
    if (std::regex_search(value, tenDigits)) return 0;

    const zr640::AppConfig d;
    int port = d.PortNumber, dataBits = d.DataBits, stopBits = d.StopBits;
    long baud = d.BaudRate;
    char parity = d.Parity;
    const int taken = std::sscanf(value.c_str(), "COM%d:%ld,%c,%d,%d", &port, &baud, &parity,
                                  &dataBits, &stopBits);
    ZR640_REQUIRE((taken == 5) != zr640::QuitRequested());
    ZR640_REQUIRE(c.PortNumber == port && c.BaudRate == baud && c.Parity == parity &&
                  c.DataBits == dataBits && c.StopBits == stopBits);
    return 0;
}
