// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "fake_serial_device.h"
#include "recording_message_box.h"
#include "serial/com_port.h"

// A broken promise of the code under test: reported like a crash, with the condition.
#define ZR640_REQUIRE(condition)                                                              \
    ((condition) ? void() : (std::fprintf(stderr, "%s:%d: broken: %s\n", __FILE__, __LINE__, \
                                          #condition), std::abort()))

namespace zr640::fuzz {

// Recorded instead of shown, which would bury the fuzzer's report; each input clears them.
inline testing::RecordingMessageBox messages;

// The input as the file `name` in a directory of this process under /tmp; both go with it.
struct FileOnDisk {
    FileOnDisk(const std::string& name, const void* data, std::size_t size)
        : directory("/tmp/zr640-fuzz-" + std::to_string(::getpid())), path(directory + "/" + name) {
        ::mkdir(directory.c_str(), 0700);
        std::FILE* file = std::fopen(path.c_str(), "wb");
        ZR640_REQUIRE(file && std::fwrite(data, 1, size, file) == size && std::fclose(file) == 0);
    }
    ~FileOnDisk() { std::remove(path.c_str()), ::rmdir(directory.c_str()); }
    const std::string directory, path;
};

// The real port code, open at 4800 baud on a fake line whose waits pass at once.
struct FakeLine {
    FakeLine() {
        record.device = &device;
        ZR640_REQUIRE((port = OpenComPort(record, 1, 4800, 'N', 8, 1, 256)) != nullptr);
    }
    testing::ManualClock clock;
    testing::FakeSerialDevice device{&clock};
    ComPort record;
    ComPort* port = nullptr;
};

}  // namespace zr640::fuzz
