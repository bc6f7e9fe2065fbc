// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <termios.h>

#include <cstdint>
#include <string>

#include "platform/serial_device.h"

namespace zr640::platform {

// A serial device through termios. COM n stands for <deviceRoot>/ttyS<n-1> unless the user
// named another device (a USB adapter, a /dev/serial/by-id path, a pseudo-terminal). When
// the device does not exist, the failure names the ports found under `deviceRoot`.
class PosixSerialDevice : public SerialDevice {
public:
    explicit PosixSerialDevice(std::string devicePath = {}, std::string deviceRoot = "/dev");
    ~PosixSerialDevice() override;
    PosixSerialDevice(const PosixSerialDevice&) = delete;
    PosixSerialDevice& operator=(const PosixSerialDevice&) = delete;

    // The device that COM portNumber stands for.
    std::string DevicePath(int portNumber) const;

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
    struct LineSettings {
        speed_t speed = B0;
        tcflag_t characterSize = CS8;
        char parity = 'N';
        bool twoStopBits = false;
    };

    bool Fail();

    std::string pathOverride_;
    std::string deviceRoot_;
    std::string path_;
    int fd_ = -1;
    int openErrno_ = 0;
    int lastErrno_ = 0;
    bool settingsBuilt_ = false;
    LineSettings settings_;
    // termios knows no time-outs: what the port logic sets is kept to be read back.
    CommTimeouts timeouts_;
    bool lineLost_ = false;
};

// The line that follows "could not open Com%d" when open() refused `path` with
// `errorNumber`: "<path>: <reason>", for EACCES with a hint naming the device's group.
std::string DescribeOpenFailure(const std::string& path, int errorNumber);

}  // namespace zr640::platform
