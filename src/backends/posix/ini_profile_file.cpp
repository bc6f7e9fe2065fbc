// SPDX-License-Identifier: GPL-3.0-or-later
#include "backends/posix/ini_profile_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>

#include "platform/text/ini_text.h"
#include "platform/text/windows_1252.h"

namespace zr640::platform {
namespace {

constexpr std::size_t kValueCapacity = 255;
// GetPrivateProfileInt reads the value into a buffer of 30 characters before converting it.
constexpr std::size_t kIntegerDigitsRead = 29;

enum class FileState { Read, Missing, Unreadable };

FileState ReadWholeFile(const char* path, std::string& text) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return errno == ENOENT ? FileState::Missing : FileState::Unreadable;
    }
    char chunk[4096];
    std::size_t count = 0;
    while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        text.append(chunk, count);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return failed ? FileState::Unreadable : FileState::Read;
}

bool WriteAll(int fd, const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t count = ::write(fd, text.data() + done, text.size() - done);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return false;
        done += static_cast<std::size_t>(count);
    }
    return true;
}

// In place, for a file in a folder where nothing new may be made.
bool OverwriteWholeFile(const std::filesystem::path& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    const bool written = WriteAll(fd, text);
    const int failure = errno;
    if (::close(fd) != 0 || !written) {
        if (!written) errno = failure;
        return false;
    }
    return true;
}

// The file is written beside itself and then put in its place, so that a full disk or a crash
// while writing leaves the old zr640.ini whole instead of cut short. A link is followed, so that
// the file it names is replaced and the link stays; the file keeps its permissions. Where the
// folder takes no new file but the file may be written, it is written in place as before.
bool WriteWholeFile(const char* path, const std::string& text) {
    std::error_code error;
    std::filesystem::path target(path);
    if (std::filesystem::is_symlink(target, error)) {
        target = std::filesystem::weakly_canonical(target, error);
        if (error) {
            errno = error.value();
            return false;
        }
    }
    static std::atomic<unsigned> written{0};
    const std::string temporary = target.string() + ".zr640-" + std::to_string(::getpid()) +
                                  "-" + std::to_string(++written);
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return errno == EACCES && exists ? OverwriteWholeFile(target, text) : false;
    }
    bool done = (!exists || ::fchmod(fd, existing.st_mode & 07777) == 0) &&
                WriteAll(fd, text) && ::fsync(fd) == 0;
    int failure = done ? 0 : errno;
    if (::close(fd) != 0 && done) {
        done = false;
        failure = errno;
    }
    if (done && ::rename(temporary.c_str(), target.c_str()) == 0) return true;
    if (done) failure = errno;
    ::unlink(temporary.c_str());
    errno = failure;
    return false;
}

// What the Windows functions copy out of a value: up to a zero byte, without one pair of
// enclosing quotes, at most 255 characters.
std::string ProfileCopy(std::string_view value) {
    value = value.substr(0, value.find('\0'));
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    if (quoted) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value.substr(0, kValueCapacity));
}

// The digit's value in any base up to 36, or 36 for a character that is no digit.
std::uint32_t DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<std::uint32_t>(c - '0');
    }
    if (c >= 'a' && c <= 'z') {
        return static_cast<std::uint32_t>(c - 'a' + 10);
    }
    if (c >= 'A' && c <= 'Z') {
        return static_cast<std::uint32_t>(c - 'A' + 10);
    }
    return 36;
}

// As GetPrivateProfileInt converts (RtlUnicodeStringToInteger with base 0): leading blanks and
// control characters, a sign, a base prefix "0x", "0o" or "0b" (lower case only), digits up
// to the first other character, arithmetic modulo 2^32.
int ProfileInteger(std::string_view text) {
    text = text.substr(0, kIntegerDigitsRead);
    std::size_t at = 0;
    while (at < text.size() && static_cast<unsigned char>(text[at]) <= ' ') {
        ++at;
    }
    const bool negative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
        ++at;
    }
    std::uint32_t base = 10;
    if (at + 1 < text.size() && text[at] == '0') {
        const char prefix = text[at + 1];
        base = prefix == 'x' ? 16 : prefix == 'o' ? 8 : prefix == 'b' ? 2 : 10;
        at += base == 10 ? 0 : 2;
    }
    std::uint32_t total = 0;
    for (; at < text.size() && DigitValue(text[at]) < base; ++at) {
        total = total * base + DigitValue(text[at]);
    }
    return static_cast<int>(negative ? 0u - total : total);
}

}  // namespace

bool IniProfileFile::Exists(const char* path) {
    struct stat info {};
    return ::stat(path, &info) == 0;
}

bool IniProfileFile::Readable(const char* path) {
    std::string text;
    return ReadWholeFile(path, text) == FileState::Read;
}

std::string IniProfileFile::GetString(const char* section, const char* key, const char* fallback,
                                      const char* path) {
    std::string text;
    std::optional<std::string> value;
    if (ReadWholeFile(path, text) == FileState::Read) {
        value = IniText(std::move(text)).Value(section, key);
    }
    return ProfileCopy(value ? *value : std::string_view(fallback));
}

int IniProfileFile::GetInt(const char* section, const char* key, int fallback,
                           const char* path) {
    const std::string value = GetString(section, key, "", path);
    return value.empty() ? fallback : ProfileInteger(value);
}

bool IniProfileFile::WriteString(const char* section, const char* key, const char* value,
                                 const char* path) {
    if (section == nullptr || key == nullptr || value == nullptr) {
        return Failed("Abschnitt, Schl\xFCssel oder Wert fehlt");
    }
    return Rewrite(path, [&](IniText& ini) { return ini.Set(section, key, value); });
}

bool IniProfileFile::RemoveKey(const char* section, const char* key, const char* path) {
    if (section == nullptr || key == nullptr) {
        return Failed("Abschnitt oder Schl\xFCssel fehlt");
    }
    return Rewrite(path, [&](IniText& ini) { return ini.Remove(section, key), true; });
}

template <typename Change>
bool IniProfileFile::Rewrite(const char* path, Change change) {
    if (path == nullptr) {
        return Failed("kein Pfad");
    }
    std::string text;
    // A file that exists but cannot be read must not be replaced by the one key.
    if (ReadWholeFile(path, text) == FileState::Unreadable) {
        return Failed(std::strerror(errno));
    }
    IniText ini(std::move(text));
    const std::string before = ini.Text();
    if (!change(ini)) {
        return Failed("Name oder Wert passt in keine Zeile der Datei");
    }
    if (ini.Text() != before && !WriteWholeFile(path, ini.Text())) {
        return Failed(std::strerror(errno));
    }
    return true;
}

// The C library says why in the user's language, in the locale's encoding: UTF-8.
bool IniProfileFile::Failed(std::string reason) {
    lastWriteError_ = Utf8ToWindows1252(reason);
    return false;
}

}  // namespace zr640::platform
