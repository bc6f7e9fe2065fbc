// SPDX-License-Identifier: GPL-3.0-or-later
#include "pseudo_terminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zr640::sim {

namespace {

std::string Reason(const char* step) { return std::string(step) + ": " + std::strerror(errno); }

bool MakeRaw(int fd) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) return false;
    cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&settings, B4800);
    cfsetospeed(&settings, B4800);
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}

}  // namespace

bool PseudoTerminal::Open(std::string& error) {
    Close();
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) {
        error = Reason("posix_openpt");
        return false;
    }
    char name[128];
    if (grantpt(master_) != 0 || unlockpt(master_) != 0 ||
        ptsname_r(master_, name, sizeof name) != 0) {
        error = Reason("grantpt/unlockpt/ptsname");
        Close();
        return false;
    }
    slavePath_ = name;
    slave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) {
        error = Reason(name);
        Close();
        return false;
    }
    if (!MakeRaw(slave_) || fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK) != 0) {
        error = Reason("raw mode");
        Close();
        return false;
    }
    return true;
}

void PseudoTerminal::Close() {
    if (slave_ >= 0) close(slave_);
    if (master_ >= 0) close(master_);
    slave_ = -1;
    master_ = -1;
}

bool SlaveLink::Point(const std::string& path, const std::string& target, std::string& error) {
    struct stat existing{};
    if (lstat(path.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
        error = path + ": exists and is not a symbolic link";
        return false;
    }
    // Made beside the path and renamed over it, so the name never goes missing.
    const std::string temporary = path + ".new";
    unlink(temporary.c_str());
    if (symlink(target.c_str(), temporary.c_str()) != 0 ||
        rename(temporary.c_str(), path.c_str()) != 0) {
        error = Reason(path.c_str());
        unlink(temporary.c_str());
        return false;
    }
    path_ = path;
    target_ = target;
    return true;
}

void SlaveLink::Remove() {
    if (path_.empty()) return;
    char pointsTo[512];
    const ssize_t length = readlink(path_.c_str(), pointsTo, sizeof pointsTo - 1);
    if (length >= 0 && std::string(pointsTo, static_cast<std::size_t>(length)) == target_) {
        unlink(path_.c_str());
    }
    path_.clear();
}

}  // namespace zr640::sim
