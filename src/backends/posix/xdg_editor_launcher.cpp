// SPDX-License-Identifier: GPL-3.0-or-later
#include "backends/posix/xdg_editor_launcher.h"

#include <cerrno>
#include <string>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/event_log.h"
#include "platform/message_box.h"

extern char** environ;

namespace zr640::platform {
namespace {

constexpr const char* kOpener = "xdg-open";

// Owns what the opener is started with; prepared before the fork, so that the middle
// process only starts the opener and exits.
class OpenerStart {
public:
    explicit OpenerStart(const std::string& argument) : argument_(argument) {
        posix_spawn_file_actions_init(&actions_);
        // The editor must not hold the serial port or any other descriptor of ours.
        posix_spawn_file_actions_addclosefrom_np(&actions_, STDERR_FILENO + 1);
    }
    ~OpenerStart() { posix_spawn_file_actions_destroy(&actions_); }
    OpenerStart(const OpenerStart&) = delete;
    OpenerStart& operator=(const OpenerStart&) = delete;

    // In the middle process: starts the opener and reports how that went as exit status.
    [[noreturn]] void SpawnAndExit() {
        char* argv[] = {const_cast<char*>(kOpener), argument_.data(), nullptr};
        pid_t opener = 0;
        _exit(posix_spawnp(&opener, kOpener, &actions_, nullptr, argv, environ));
    }

private:
    std::string argument_;
    posix_spawn_file_actions_t actions_;
};

// 0 when the opener started, else the error number of the failed start.
int StartDetached(const std::string& argument) {
    OpenerStart start(argument);
    const pid_t middle = fork();
    if (middle < 0) {
        return errno;
    }
    if (middle == 0) {
        start.SpawnAndExit();
    }
    int status = 0;
    while (waitpid(middle, &status, 0) < 0) {
        if (errno != EINTR) {
            return errno;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : ECHILD;
}

}  // namespace

void XdgEditorLauncher::OpenInEditor(const char* path) {
    // A name that begins with a hyphen would be taken for an option.
    const std::string argument = path[0] == '-' ? std::string("./") + path : std::string(path);
    const int error = StartDetached(argument);
    if (error == ENOENT) {
        ShowMessage(kStyleStopIcon, 1, "Fehler",
                    "Der Texteditor konnte nicht gestartet werden: xdg-open fehlt "
                    "(Paket xdg-utils).");
    } else if (error != 0) {
        ShowMessage(kStyleStopIcon, 1, "Fehler",
                    "Der Texteditor konnte nicht gestartet werden (xdg-open, Fehler %d).", error);
    }
}

}  // namespace zr640::platform
