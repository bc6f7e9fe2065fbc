// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zr640::platform {

// The device's time-outs, in the order of the Win32 COMMTIMEOUTS record.
struct CommTimeouts {
    std::uint32_t readIntervalTimeout = 0;
    std::uint32_t readTotalTimeoutMultiplier = 0;
    std::uint32_t readTotalTimeoutConstant = 0;
    std::uint32_t writeTotalTimeoutMultiplier = 0;
    std::uint32_t writeTotalTimeoutConstant = 0;
};

// Purge flags and event mask bits (Win32 values).
inline constexpr std::uint32_t kPurgeTxAbort = 1;
inline constexpr std::uint32_t kPurgeRxAbort = 2;
inline constexpr std::uint32_t kPurgeTxClear = 4;
inline constexpr std::uint32_t kPurgeRxClear = 8;
inline constexpr std::uint32_t kEventRxChar = 1;
inline constexpr std::uint32_t kEventTxEmpty = 4;

// Cancelled comes only from the core's wait for an operation that the user stopped.
enum class InputWait { Ready, TimedOut, LineLost, Cancelled };

// The room for the further lines of a "could not open Com%d" message: with "could not open
// Com255" before them, the whole text fits the message box's 1023 characters.
inline constexpr std::size_t kOpenFailureDetailMax = 1000;

// One serial device, with operations that mirror the Win32 communications calls. The
// portable port logic (serial/com_port) drives them in the documented order and reports
// their failures; a backend only talks to its operating system.
class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // CreateFileA on the device behind COM portNumber. False when it cannot be opened.
    virtual bool Open(int portNumber) = 0;
    // Further lines for the "could not open" message, or empty: the device path and reason,
    // and when the port does not exist, the ports there are, within kOpenFailureDetailMax
    // characters.
    virtual std::string OpenFailureDetail() = 0;
    // SetupComm.
    virtual bool SetupQueues(std::uint32_t rxQueueSize, std::uint32_t txQueueSize) = 0;
    // BuildCommDCBA from a text such as "COM1:4800,N,8,1": the call's result, 0 on failure.
    virtual int BuildLineSettings(const char* settingsText) = 0;
    // SetCommState with the built settings plus the fixed block: binary, no flow control,
    // DTR and RTS disabled, XonChar 0x11, XoffChar 0x13, ErrorChar 0x20, EvtChar 0xFF.
    virtual bool ApplyLineSettings() = 0;
    virtual bool GetTimeouts(CommTimeouts& timeouts) = 0;
    virtual bool SetTimeouts(const CommTimeouts& timeouts) = 0;
    virtual bool SetEventMask(std::uint32_t mask) = 0;
    virtual bool Purge(std::uint32_t flags) = 0;
    virtual void ClearErrors() = 0;
    // Takes what the driver holds, at most `capacity` bytes, in one read and returns at once:
    // the number of bytes read, 0 when none were waiting or the read failed.
    virtual int Read(std::uint8_t* bytes, int capacity) = 0;
    // Blocks, without using the processor, until input waits, the time has passed, or the
    // line is gone (device unplugged, peer closed).
    virtual InputWait WaitForInput(std::uint32_t timeoutMs) = 0;
    // WriteFile of a block, waiting at most `timeoutMs` for the device to take it: the number
    // of bytes taken (0 when it took none in that time, as an adapter that stalls), or -1 when
    // the device failed. The port writes in short blocks, so that a cancel is seen between
    // them.
    virtual int Write(const std::uint8_t* bytes, int length, std::uint32_t timeoutMs) = 0;
    // The bytes written that have not left the device yet: 0 once all have, -1 when the
    // device cannot say. Returns at once; the port sleeps while the line carries them.
    virtual int OutputQueued() = 0;
    // EscapeCommFunction: 3 raises RTS, 4 lowers it.
    virtual void EscapeFunction(int function) = 0;
    // CloseHandle: false on failure.
    virtual bool Close() = 0;
    // The system's last-error code after a failed step.
    virtual std::uint32_t LastError() = 0;
};

}  // namespace zr640::platform
