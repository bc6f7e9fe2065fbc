// COMSETTINGS values of any bytes, checked against the C library's own sscanf with the same
// pattern wherever that is defined (no number out of the range of its field).
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/quit_request.h"
#include "config/app_config.h"
#include "config/configuration.h"
#include "fuzz_support.h"

namespace {

// sscanf's result for a number beyond its field is undefined; nine digits always fit.
bool EveryDigitRunFits(const std::string& text) {
    int run = 0;
    for (const char c : text) {
        run = std::isdigit(static_cast<unsigned char>(c)) != 0 ? run + 1 : 0;
        if (run > 9) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static zr640::fuzz::CountingMessageBox messages;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const char* value = text.c_str();  // as the INI reader hands it over: up to a zero byte

    zr640::ResetQuitRequest();
    messages.shown = 0;
    zr640::AppConfig config;
    zr640::ParseComSettings(value, config);
    const bool accepted = messages.shown == 0;
    ZR640_REQUIRE(accepted != zr640::QuitRequested());
    ZR640_REQUIRE(messages.shown <= 1);

    if (EveryDigitRunFits(value)) {
        const zr640::AppConfig defaults;
        int port = defaults.PortNumber;
        long baud = defaults.BaudRate;
        char parity = defaults.Parity;
        int dataBits = defaults.DataBits;
        int stopBits = defaults.StopBits;
        const int taken =
            std::sscanf(value, "COM%d:%ld,%c,%d,%d", &port, &baud, &parity, &dataBits, &stopBits);
        ZR640_REQUIRE(accepted == (taken == 5));
        ZR640_REQUIRE(config.PortNumber == port && config.BaudRate == baud &&
                      config.Parity == parity && config.DataBits == dataBits &&
                      config.StopBits == stopBits);
    }

    if (accepted) {
        // What was accepted is written back the same way for the port, and reads the same.
        char written[96];
        std::snprintf(written, sizeof written, "COM%d:%ld,%c,%d,%d", config.PortNumber,
                      static_cast<long>(config.BaudRate), config.Parity, config.DataBits,
                      config.StopBits);
        zr640::AppConfig again;
        zr640::ParseComSettings(written, again);
        ZR640_REQUIRE(messages.shown == 0);
        ZR640_REQUIRE(again.PortNumber == config.PortNumber && again.BaudRate == config.BaudRate &&
                      again.Parity == config.Parity && again.DataBits == config.DataBits &&
                      again.StopBits == config.StopBits);
    }
    return 0;
}
