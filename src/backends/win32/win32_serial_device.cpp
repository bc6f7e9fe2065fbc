// SPDX-License-Identifier: GPL-3.0-or-later
#include "backends/win32/win32_serial_device.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "platform/text/port_list_message.h"
#include "backends/win32/com_port_list.h"

namespace zr640::platform {
namespace {

// The device control block has the same 28 bytes for 32- and 64-bit programs (no pointer
// in it), and SetCommState wants exactly that length.
static_assert(sizeof(DCB) == 28, "DCB layout");
constexpr DWORD kDcbLength = 28;

// Where the user chooses the COM port.
constexpr const char* kComSettingsHint = "COMSETTINGS in zr640.ini anpassen";

// A wait is cut into slices so that a device that vanishes meanwhile is noticed soon:
// Wine's read on a hung-up pseudo-terminal neither fails nor sleeps, it keeps the
// processor busy until its time-out.
constexpr ULONGLONG kWaitSliceMs = 200;

enum class SliceEnd { Byte, Empty, Failed };

COMMTIMEOUTS ToWin32(const CommTimeouts& timeouts) {
    COMMTIMEOUTS result{};
    result.ReadIntervalTimeout = timeouts.readIntervalTimeout;
    result.ReadTotalTimeoutMultiplier = timeouts.readTotalTimeoutMultiplier;
    result.ReadTotalTimeoutConstant = timeouts.readTotalTimeoutConstant;
    result.WriteTotalTimeoutMultiplier = timeouts.writeTotalTimeoutMultiplier;
    result.WriteTotalTimeoutConstant = timeouts.writeTotalTimeoutConstant;
    return result;
}

CommTimeouts FromWin32(const COMMTIMEOUTS& timeouts) {
    return {timeouts.ReadIntervalTimeout, timeouts.ReadTotalTimeoutMultiplier,
            timeouts.ReadTotalTimeoutConstant, timeouts.WriteTotalTimeoutMultiplier,
            timeouts.WriteTotalTimeoutConstant};
}

// The fixed part of the line: binary, no flow control of any kind, DTR and RTS left to
// the program. Baud rate, parity, data and stop bits stay as the settings text gave them.
void ApplyFixedFields(DCB& dcb) {
    dcb.DCBlength = kDcbLength;
    dcb.fBinary = 1;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = 0;
    dcb.fTXContinueOnXoff = 0;
    dcb.fOutX = 0;
    dcb.fInX = 0;
    dcb.fErrorChar = 0;
    dcb.fNull = 0;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fAbortOnError = 0;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.ErrorChar = 0x20;
    dcb.EofChar = 0x00;
    dcb.EvtChar = static_cast<char>(0xFF);
}

}  // namespace

struct Win32SerialDevice::State {
    HANDLE handle = INVALID_HANDLE_VALUE;
    DCB dcb{};
    DWORD lastError = 0;
    // Why the last opening failed; 0 after one that succeeded.
    DWORD openError = 0;
    // The time-outs the port logic set, and those the handle has: a wait leaves its own there,
    // since a read asks only for the bytes that are waiting and so never waits whatever they say.
    COMMTIMEOUTS timeouts{};
    COMMTIMEOUTS handleTimeouts{};
    // A byte that a wait has read; handed out before anything else.
    bool stashed = false;
    BYTE stash = 0;

    bool Fail() {
        lastError = ::GetLastError();
        return false;
    }

    // The device answers questions about its queues only while it is there: an unplugged
    // adapter, or under Wine a pseudo-terminal whose peer has gone, fails here.
    // The driver's queues, its error flags cleared on the way.
    bool Status(COMSTAT& status) {
        DWORD errors = 0;
        return ::ClearCommError(handle, &errors, &status) != FALSE;
    }

    bool LineAlive() {
        COMSTAT status{};
        if (handle != INVALID_HANDLE_VALUE && Status(status)) {
            return true;
        }
        return Fail();
    }

    // Each call is a round trip through the Wine server, so the handle's time-outs change only
    // when they must.
    bool SetHandleTimeouts(COMMTIMEOUTS wanted) {
        if (std::memcmp(&wanted, &handleTimeouts, sizeof wanted) == 0) return true;
        if (!::SetCommTimeouts(handle, &wanted)) return Fail();
        handleTimeouts = wanted;
        return true;
    }

    // One read of at most one byte that waits up to sliceMs for it.
    SliceEnd ReadWithin(DWORD sliceMs) {
        COMMTIMEOUTS waiting = timeouts;
        waiting.ReadIntervalTimeout = MAXDWORD;
        waiting.ReadTotalTimeoutMultiplier = MAXDWORD;
        waiting.ReadTotalTimeoutConstant = std::max<DWORD>(sliceMs, 1);
        if (!SetHandleTimeouts(waiting)) return SliceEnd::Failed;
        const ULONGLONG start = ::GetTickCount64();
        DWORD count = 0;
        if (!::ReadFile(handle, &stash, 1, &count, nullptr)) {
            Fail();
            return SliceEnd::Failed;
        }
        if (count == 1) {
            stashed = true;
            return SliceEnd::Byte;
        }
        // A driver that gives up early must not turn the wait into a spin.
        const ULONGLONG waitedMs = ::GetTickCount64() - start;
        if (waitedMs < sliceMs) ::Sleep(static_cast<DWORD>(sliceMs - waitedMs));
        return SliceEnd::Empty;
    }
};

Win32SerialDevice::Win32SerialDevice() : state_(std::make_unique<State>()) {}

Win32SerialDevice::~Win32SerialDevice() {
    if (state_->handle != INVALID_HANDLE_VALUE) ::CloseHandle(state_->handle);
}

bool Win32SerialDevice::Open(int portNumber) {
    char path[32];
    std::snprintf(path, sizeof path, "\\\\.\\COM%d", portNumber);
    state_->dcb = DCB{};
    state_->stashed = false;
    state_->handle =
        ::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (state_->handle == INVALID_HANDLE_VALUE) {
        state_->Fail();
        state_->openError = state_->lastError;
        return false;
    }
    state_->openError = 0;
    ::GetCommTimeouts(state_->handle, &state_->timeouts);
    state_->handleTimeouts = state_->timeouts;
    return true;
}

std::string Win32SerialDevice::OpenFailureDetail() {
    // Only a port that is not there calls for the list of those that are.
    if (state_->openError != ERROR_FILE_NOT_FOUND) return {};
    return FormatPortList(FormatComPorts(ReadComPorts()), kComSettingsHint,
                          kOpenFailureDetailMax);
}

bool Win32SerialDevice::SetupQueues(std::uint32_t rxQueueSize, std::uint32_t txQueueSize) {
    if (!::SetupComm(state_->handle, rxQueueSize, txQueueSize)) return state_->Fail();
    return true;
}

int Win32SerialDevice::BuildLineSettings(const char* settingsText) {
    state_->dcb = DCB{};
    const BOOL built = ::BuildCommDCBA(settingsText, &state_->dcb);
    if (!built) state_->Fail();
    return built;
}

bool Win32SerialDevice::ApplyLineSettings() {
    ApplyFixedFields(state_->dcb);
    if (!::SetCommState(state_->handle, &state_->dcb)) return state_->Fail();
    return true;
}

bool Win32SerialDevice::GetTimeouts(CommTimeouts& timeouts) {
    COMMTIMEOUTS current{};
    if (!::GetCommTimeouts(state_->handle, &current)) return state_->Fail();
    timeouts = FromWin32(current);
    return true;
}

bool Win32SerialDevice::SetTimeouts(const CommTimeouts& timeouts) {
    COMMTIMEOUTS wanted = ToWin32(timeouts);
    if (!::SetCommTimeouts(state_->handle, &wanted)) return state_->Fail();
    state_->timeouts = wanted;
    state_->handleTimeouts = wanted;
    return true;
}

bool Win32SerialDevice::SetEventMask(std::uint32_t mask) {
    if (!::SetCommMask(state_->handle, mask)) return state_->Fail();
    return true;
}

bool Win32SerialDevice::Purge(std::uint32_t flags) {
    if ((flags & PURGE_RXCLEAR) != 0) state_->stashed = false;
    if (!::PurgeComm(state_->handle, flags)) return state_->Fail();
    return true;
}

void Win32SerialDevice::ClearErrors() {
    COMSTAT status{};
    state_->Status(status);
}

int Win32SerialDevice::Read(std::uint8_t* bytes, int capacity) {
    if (capacity <= 0) return 0;
    int count = 0;
    if (state_->stashed) {
        bytes[count++] = state_->stash;
        state_->stashed = false;
    }
    // Asking for no more than waits makes the read return at once, whatever the time-outs.
    COMSTAT status{};
    if (!state_->Status(status)) {
        state_->Fail();
        return count;
    }
    const DWORD wanted = std::min<DWORD>(status.cbInQue, static_cast<DWORD>(capacity - count));
    DWORD got = 0;
    if (wanted > 0 && !::ReadFile(state_->handle, bytes + count, wanted, &got, nullptr)) {
        state_->Fail();
    }
    return count + static_cast<int>(got);
}

InputWait Win32SerialDevice::WaitForInput(std::uint32_t timeoutMs) {
    if (state_->stashed) return InputWait::Ready;
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (!state_->LineAlive()) return InputWait::LineLost;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) return InputWait::TimedOut;
        const DWORD sliceMs = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, kWaitSliceMs));
        switch (state_->ReadWithin(sliceMs)) {
            case SliceEnd::Byte:
                return InputWait::Ready;
            case SliceEnd::Failed:
                return InputWait::LineLost;
            case SliceEnd::Empty:
                break;
        }
    }
}

int Win32SerialDevice::Write(const std::uint8_t* bytes, int length, std::uint32_t timeoutMs) {
    // The write time-outs are set for this call, as the read time-outs are for a wait, and
    // left on the handle: the device takes what it can within timeoutMs and the call returns
    // with that.
    COMMTIMEOUTS writing = state_->timeouts;
    writing.WriteTotalTimeoutMultiplier = 0;
    writing.WriteTotalTimeoutConstant = std::max<DWORD>(timeoutMs, 1);
    if (!state_->SetHandleTimeouts(writing)) return -1;
    DWORD written = 0;
    const BOOL wrote =
        ::WriteFile(state_->handle, bytes, static_cast<DWORD>(length), &written, nullptr);
    const DWORD writeError = wrote ? 0 : ::GetLastError();
    // A time-out is a device that took less, not one that failed.
    if (!wrote && writeError != ERROR_TIMEOUT && writeError != ERROR_SEM_TIMEOUT) {
        state_->lastError = writeError;
        if (written == 0) return -1;
    }
    return static_cast<int>(written);
}

int Win32SerialDevice::OutputQueued() {
    COMSTAT status{};
    if (!state_->Status(status)) {
        state_->Fail();
        return -1;
    }
    return static_cast<int>(std::min<DWORD>(status.cbOutQue, INT_MAX));
}

void Win32SerialDevice::EscapeFunction(int function) {
    ::EscapeCommFunction(state_->handle, static_cast<DWORD>(function));
}

bool Win32SerialDevice::Close() {
    if (!::CloseHandle(state_->handle)) return state_->Fail();
    state_->handle = INVALID_HANDLE_VALUE;
    state_->stashed = false;
    return true;
}

std::uint32_t Win32SerialDevice::LastError() { return state_->lastError; }

}  // namespace zr640::platform
