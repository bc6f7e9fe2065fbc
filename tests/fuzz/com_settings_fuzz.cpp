// COMSETTINGS values of any bytes, against the C library's sscanf with the same pattern wherever
// that is defined (no number beyond the range of its field): the same values taken, and the
// message and the quit request exactly when sscanf takes fewer than five.
#include <regex>

#include "platform/quit_request.h"
#include "config/configuration.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static zr640::fuzz::CountingMessageBox messages;
    static const std::regex tenDigits("[0-9]{10}");  // nine digits always fit
    // As the INI reader hands it over: up to a zero byte.
    const std::string value = std::string(reinterpret_cast<const char*>(data), size).c_str();
    messages.shown = 0;
    zr640::ResetQuitRequest();
    zr640::AppConfig c;
    zr640::ParseComSettings(value.c_str(), c);
    ZR640_REQUIRE(messages.shown == (zr640::QuitRequested() ? 1 : 0));
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
