// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/serial_device.h"

namespace zr640::platform {

// A serial device through the Win32 communications calls, on the handle of "\\.\COMn".
// <windows.h> stays in the source file: its macros (MessageBox, ...) would clash with the
// seam's names.
class Win32SerialDevice final : public SerialDevice {
public:
    Win32SerialDevice();
    ~Win32SerialDevice() override;
    Win32SerialDevice(const Win32SerialDevice&) = delete;
    Win32SerialDevice& operator=(const Win32SerialDevice&) = delete;

    bool Open(int portNumber) override;
    std::string OpenFailureDetail() override;
    bool SetupQueues(std::uint32_t rxQueueSize, std::uint32_t txQueueSize) override;
    int BuildLineSettings(const char* settingsText) override;
    bool ApplyLineSettings() override;
    bool GetTimeouts(CommTimeouts& timeouts) override;
    bool SetTimeouts(const CommTimeouts& timeouts) override;
    bool SetEventMask(std::uint32_t mask) override;
    bool Purge(std::uint32_t flags) override;
    void ClearErrors() override;
    int Read(std::uint8_t* bytes, int capacity) override;
    InputWait WaitForInput(std::uint32_t timeoutMs) override;
    int Write(const std::uint8_t* bytes, int length, std::uint32_t timeoutMs) override;
    int OutputQueued() override;
    void EscapeFunction(int function) override;
    bool Close() override;
    std::uint32_t LastError() override;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace zr640::platform
