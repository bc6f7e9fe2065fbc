// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "platform/dialog_controls.h"
#include "platform/operation_environment.h"
#include "platform/serial_device.h"

namespace zr640 {

// <winbase.h> defines both names as macros with the same values; code that includes it
// first then uses those.
#ifndef SETRTS
inline constexpr int SETRTS = 3;
#endif
#ifndef CLRRTS
inline constexpr int CLRRTS = 4;
#endif


// The record of the one serial port. Its owner (the controller) creates it once for the
// run, sets `device` and `indicators`, and hands it to OpenComPort.
struct ComPort {
    std::uint8_t isOpen = 0;
    // What the last read took from the driver, handed out from rxReadPos up to rxWritePos.
    std::uint8_t* rxRing = nullptr;
    std::int32_t rxWritePos = 0;
    std::int32_t rxReadPos = 0;
    std::int32_t rxRingSize = 0;
    platform::SerialDevice* device = nullptr;
    platform::CommTimeouts savedTimeouts;
    // The line as opened, for the time its bytes take on the wire.
    std::int32_t baudRate = 0;
    int bitsPerByte = 10;
    // Where RX and TX are shown; may be null (no dialog).
    platform::IndicatorLights* indicators = nullptr;
    // A failing event mask is reported once for the run: an adapter that comes and goes is
    // opened again and again, and a box each time would bury the dialog.
    bool eventMaskFailureShown = false;

    ComPort() = default;
    ComPort(const ComPort&) = delete;
    ComPort& operator=(const ComPort&) = delete;
    ~ComPort();
};

// A cancel is seen within this time by an operation that waits on the port or writes to it.
inline constexpr std::uint32_t kCancelCheckMs = 50;

// Opens and configures the device of `record`: the record on success, else null after a
// message box. Every other operation accepts null and then only returns its null result.
ComPort* OpenComPort(ComPort& record, int portNumber, std::int32_t baudRate, char parityLetter,
                     int dataBits, int stopBits, int rxRingSize);
int CloseComPort(ComPort* port);
// The next received byte as 0..255, or -1 when none is waiting. Never waits: when the receive
// ring has run empty, one read takes what the driver holds, as much as fits.
int ReadComByte(ComPort* port);
// Writes the block and waits until it has left the device, within what the write time-outs
// allow for the whole block (10 ms a byte and 100 ms). It goes out in slices of at most
// kCancelCheckMs on the wire and waits in sleeps of at most that on the operation's clock; a
// cancel between them discards the rest of the output. The number of bytes written.
int WriteComBlock(ComPort* port, const std::uint8_t* bytes, int length,
                  platform::OperationEnvironment& operation);
int SetRts(ComPort* port, int function);
int DiscardInput(ComPort* port);

// The time `bytes` take on the line of the open port, rounded up to whole milliseconds; 0 for
// a null port.
std::uint32_t LineTimeMs(const ComPort* port, int bytes);

// The one wait primitive of the core: blocks, without using the processor, until a byte
// may be read, `timeoutMs` has passed, or the line is gone. On a null port it sleeps for
// the whole time and reports TimedOut.
platform::InputWait WaitComInput(ComPort* port, std::uint32_t timeoutMs);

// The same wait for a long operation: it returns Cancelled as soon as the operation is, and
// otherwise TimedOut after at most kCancelCheckMs, so callers wait in a loop on their clock.
// On a null port it sleeps on the operation's clock.
platform::InputWait WaitComInput(ComPort* port, std::uint32_t timeoutMs,
                                 platform::OperationEnvironment& operation);

}  // namespace zr640
