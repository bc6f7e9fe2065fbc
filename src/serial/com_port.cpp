// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/com_port.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/dialog_layout.h"
#include "platform/event_log.h"
#include "platform/message_box.h"

namespace zr640 {
namespace {

constexpr unsigned kStyleStop = platform::kStyleStopIcon;
constexpr std::uint32_t kDriverRxQueueBytes = 512;
constexpr std::uint32_t kDriverTxQueueBytes = 0;
constexpr std::uint32_t kOpenEventMask = platform::kEventRxChar | platform::kEventTxEmpty;
constexpr std::uint32_t kPurgeAll = platform::kPurgeTxAbort | platform::kPurgeRxAbort |
                                    platform::kPurgeTxClear | platform::kPurgeRxClear;
constexpr std::uint32_t kPurgeInput = platform::kPurgeRxAbort | platform::kPurgeRxClear;

constexpr std::uint32_t kPurgeOutput = platform::kPurgeTxAbort | platform::kPurgeTxClear;

// Reads return at once with what has arrived; a write of n bytes may take 10 n + 100 ms.
constexpr std::uint32_t kWriteMsPerByte = 10;
constexpr std::uint32_t kWriteMsPerBlock = 100;
constexpr platform::CommTimeouts kImmediateReadTimeouts{0xFFFFFFFFu, 0, 0, kWriteMsPerByte,
                                                        kWriteMsPerBlock};

// Every failure of the port is shown at once, with a beep, under this caption.
constexpr const char* kCaption = "Error";

std::uint32_t LastErrorOf(platform::SerialDevice* device) {
    return device != nullptr ? device->LastError() : 0;
}

// Resizes a buffer that the record owns. When the new size cannot be had the pointer
// becomes null and the old block is freed rather than leaked.
bool ResizeOwnedBuffer(std::uint8_t*& buffer, int size) {
    if (size <= 0) {
        std::free(buffer);
        buffer = nullptr;
        return false;
    }
    void* resized = std::realloc(buffer, static_cast<std::size_t>(size));
    if (resized == nullptr) {
        std::free(buffer);
    }
    buffer = static_cast<std::uint8_t*>(resized);
    return buffer != nullptr;
}

// A record that was never opened, or was closed, gets the same answers as a null port:
// its buffers are gone and its device is not ours to use.
bool Usable(const ComPort* port) { return port != nullptr && port->isOpen != 0; }

void LightIndicator(ComPort& port, int id) {
    if (port.indicators != nullptr) port.indicators->CheckButton(id, true);
}

// Once the ring has run empty, one read takes what the driver holds into it, from its start:
// as much as fits, all but one slot, since a ring whose positions meet is empty. What does not
// fit waits in the driver for the next read.
void FillEmptyRing(ComPort& port) {
    port.rxReadPos = 0;
    port.rxWritePos = 0;
    const int room = port.rxRingSize - 1;
    const int count = room > 0 ? port.device->Read(port.rxRing, room) : 0;
    if (count <= 0) return;
    LightIndicator(port, IDC_RX);
    port.rxWritePos = count < room ? count : room;
}

// Start bit, data bits, parity bit and stop bits of one character on the line.
int BitsPerByte(char parityLetter, int dataBits, int stopBits) {
    const bool parity = parityLetter != 'N' && parityLetter != 'n';
    return 1 + dataBits + (parity ? 1 : 0) + stopBits;
}

std::int64_t BitsPerSecond(const ComPort& port) {
    return port.baudRate > 0 ? port.baudRate : 1;
}

// The bytes the line carries in `ms`, at least one.
int BytesInMs(const ComPort& port, std::uint32_t ms) {
    const std::int64_t bytes = BitsPerSecond(port) * ms / (1000 * std::int64_t{port.bitsPerByte});
    return bytes > 0 ? static_cast<int>(std::min<std::int64_t>(bytes, INT32_MAX)) : 1;
}

// The time `bytes` take on the line, rounded up to whole milliseconds.
std::uint32_t MsForBytes(const ComPort& port, int bytes) {
    const std::int64_t bitMs = std::int64_t{bytes} * port.bitsPerByte * 1000;
    const std::int64_t ms = (bitMs + BitsPerSecond(port) - 1) / BitsPerSecond(port);
    return static_cast<std::uint32_t>(std::min<std::int64_t>(ms, UINT32_MAX));
}

// The time a whole block may take on a line that stalls, counted from its first slice: what
// the write time-outs allowed when a block went out in one call, not that for every slice.
class BlockTime {
public:
    BlockTime(platform::MonotonicClock& clock, int length)
        : clock_(clock),
          startMs_(clock.NowMs()),
          limitMs_(kWriteMsPerByte * static_cast<std::uint32_t>(length) + kWriteMsPerBlock) {}
    std::uint32_t LeftMs() const {
        const std::uint32_t elapsedMs = clock_.NowMs() - startMs_;
        return elapsedMs < limitMs_ ? limitMs_ - elapsedMs : 0;
    }

private:
    platform::MonotonicClock& clock_;
    std::uint32_t startMs_;
    std::uint32_t limitMs_;
};

// Sleeps on the operation's clock while the device still holds written bytes, at most
// kCancelCheckMs at a time. False when the operation was cancelled meanwhile.
bool WaitUntilSent(ComPort& port, platform::OperationEnvironment& operation,
                   const BlockTime& block) {
    for (;;) {
        const int queued = port.device->OutputQueued();
        const std::uint32_t leftMs = block.LeftMs();
        if (operation.IsCancelled()) return false;
        if (queued <= 0 || leftMs == 0) return true;
        operation.Clock().Sleep(std::min({MsForBytes(port, queued), kCancelCheckMs, leftMs}));
    }
}

bool OpenDevice(ComPort& record, int portNumber) {
    platform::SerialDevice* device = record.device;
    if (device != nullptr && device->Open(portNumber)) return true;
    const std::string detail = device != nullptr ? device->OpenFailureDetail() : std::string();
    if (detail.empty()) {
        ShowMessage(kStyleStop, 1, kCaption, "could not open Com%d", portNumber);
    } else {
        ShowMessage(kStyleStop, 1, kCaption, "could not open Com%d\n%s", portNumber,
                    detail.c_str());
    }
    return false;
}

// Sets up a device that has just opened: queues, line settings, time-outs, event mask, and an
// empty line. False after a step without which the port cannot work.
bool ConfigureDevice(ComPort& record, int portNumber, std::int32_t baudRate, char parityLetter,
                     int dataBits, int stopBits) {
    platform::SerialDevice& device = *record.device;
    if (!device.SetupQueues(kDriverRxQueueBytes, kDriverTxQueueBytes)) {
        ShowMessage(kStyleStop, 1, kCaption, "SetupComm %d", static_cast<int>(device.LastError()));
        return false;
    }
    char settings[64];
    std::snprintf(settings, sizeof settings, "COM%d:%ld,%c,%d,%d", portNumber,
                  static_cast<long>(baudRate), parityLetter, dataBits, stopBits);
    const int built = device.BuildLineSettings(settings);
    if (built == 0) {
        ShowMessage(kStyleStop, 1, kCaption, "BuildCommDCB %d", built);
        return false;
    }
    if (!device.ApplyLineSettings()) {
        ShowMessage(kStyleStop, 1, kCaption, "SetCommState %d",
                    static_cast<int>(device.LastError()));
        return false;
    }
    // Without these three the port still works, with the driver's own settings.
    if (!device.GetTimeouts(record.savedTimeouts)) {
        ShowMessage(kStyleStop, 1, kCaption, "GetCommTimeouts");
    }
    if (!device.SetTimeouts(kImmediateReadTimeouts)) {
        ShowMessage(kStyleStop, 1, kCaption, "SetCommTimeouts");
    }
    if (!device.SetEventMask(kOpenEventMask) && !record.eventMaskFailureShown) {
        record.eventMaskFailureShown = true;
        ShowMessage(kStyleStop, 1, kCaption, "SetCommMask");
    }
    if (!device.Purge(kPurgeAll)) {
        ShowMessage(kStyleStop, 1, kCaption, "PurgeComm %d", static_cast<int>(device.LastError()));
        return false;
    }
    device.ClearErrors();
    return true;
}

}  // namespace

ComPort::~ComPort() {
    std::free(rxRing);
}

ComPort* OpenComPort(ComPort& record, int portNumber, std::int32_t baudRate, char parityLetter,
                     int dataBits, int stopBits, int rxRingSize) {
    if (portNumber < 1 || portNumber > 255) {
        ShowMessage(kStyleStop, 1, kCaption, "Comport %d falsch,muss zwischen 1...255 liegen",
                    portNumber);
        return nullptr;
    }
    if (record.isOpen != 0) {
        ShowMessage(kStyleStop, 1, kCaption, "Comport %d bereits 'OPEN'", portNumber);
        return nullptr;
    }
    record.isOpen = 0;
    if (!ResizeOwnedBuffer(record.rxRing, rxRingSize)) {
        ShowMessage(kStyleStop, 1, kCaption, "Konnte keinen Empfangspuffer belegen: %d",
                    static_cast<int>(LastErrorOf(record.device)));
        return nullptr;
    }
    record.rxWritePos = 0;
    record.rxReadPos = 0;
    record.rxRingSize = rxRingSize;

    if (!OpenDevice(record, portNumber)) return nullptr;
    if (!ConfigureDevice(record, portNumber, baudRate, parityLetter, dataBits, stopBits)) {
        // Nobody opens the port again in this run; a handle kept open would only lock the
        // device against other programs.
        record.device->Close();
        return nullptr;
    }
    record.baudRate = baudRate;
    record.bitsPerByte = BitsPerByte(parityLetter, dataBits, stopBits);
    record.isOpen = 1;
    return &record;
}

int CloseComPort(ComPort* port) {
    if (!Usable(port)) return -1;
    if (!port->device->SetTimeouts(port->savedTimeouts)) {
        ShowMessage(kStyleStop, 1, kCaption, "SetCommTimeouts");
    }
    if (!port->device->Close()) {
        ShowMessage(kStyleStop, 1, kCaption, "CloseComm %d", 0);
    }
    // Closed all the same: the handle is gone either way, and a port left marked open would
    // refuse every later opening, so that a lost line could never come back.
    port->isOpen = 0;
    std::free(port->rxRing);
    port->rxRing = nullptr;
    return 0;
}

int ReadComByte(ComPort* port) {
    if (!Usable(port)) return -1;
    if (port->rxReadPos == port->rxWritePos) FillEmptyRing(*port);
    if (port->rxReadPos == port->rxWritePos) return -1;
    return port->rxRing[port->rxReadPos++];
}

int WriteComBlock(ComPort* port, const std::uint8_t* bytes, int length,
                  platform::OperationEnvironment& operation) {
    if (!Usable(port)) return 0;
    LightIndicator(*port, IDC_TX);
    // What a read took ahead into the ring is as old as what the purge drops in the driver.
    port->rxReadPos = port->rxWritePos;
    port->device->Purge(kPurgeAll);
    const BlockTime block(operation.Clock(), length);
    const int sliceBytes = BytesInMs(*port, kCancelCheckMs);
    int written = 0;
    while (written < length) {
        const std::uint32_t leftMs = block.LeftMs();
        if (operation.IsCancelled() || leftMs == 0) break;
        const int slice = std::min(length - written, sliceBytes);
        const int taken =
            port->device->Write(bytes + written, slice, std::min(kCancelCheckMs, leftMs));
        if (taken < 0) break;
        written += taken;
        if (!WaitUntilSent(*port, operation, block)) break;
    }
    // What the driver still holds would keep the line busy after the user has stopped.
    if (operation.IsCancelled()) port->device->Purge(kPurgeOutput);
    return written;
}

int SetRts(ComPort* port, int function) {
    if (!Usable(port)) return -1;
    port->device->EscapeFunction(function);
    return 1;
}

int DiscardInput(ComPort* port) {
    if (!Usable(port)) return -1;
    port->rxReadPos = port->rxWritePos;
    port->device->Purge(kPurgeInput);
    return 1;
}

std::uint32_t LineTimeMs(const ComPort* port, int bytes) {
    return Usable(port) && bytes > 0 ? MsForBytes(*port, bytes) : 0;
}

platform::InputWait WaitComInput(ComPort* port, std::uint32_t timeoutMs) {
    if (!Usable(port)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
        return platform::InputWait::TimedOut;
    }
    return port->device->WaitForInput(timeoutMs);
}

platform::InputWait WaitComInput(ComPort* port, std::uint32_t timeoutMs,
                                 platform::OperationEnvironment& operation) {
    if (operation.IsCancelled()) return platform::InputWait::Cancelled;
    const std::uint32_t sliceMs = timeoutMs < kCancelCheckMs ? timeoutMs : kCancelCheckMs;
    if (!Usable(port)) {
        operation.Clock().Sleep(sliceMs);
        return platform::InputWait::TimedOut;
    }
    const platform::InputWait result = port->device->WaitForInput(sliceMs);
    if (result == platform::InputWait::TimedOut && operation.IsCancelled()) {
        return platform::InputWait::Cancelled;
    }
    return result;
}

}  // namespace zr640
