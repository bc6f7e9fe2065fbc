// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace zr640::sim {

// One pseudo-terminal pair. The simulator holds the slave open too: without that, every
// close of the port by the tool would hang up the master, and reopening the port would race
// with it. Both sides are in raw mode, so the tool starts from a sane terminal whatever it
// sets itself.
class PseudoTerminal {
public:
    PseudoTerminal() = default;
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    ~PseudoTerminal() { Close(); }

    // False with `error` set when the pair cannot be made.
    bool Open(std::string& error);
    // Closes both sides: the tool sees the line hang up.
    void Close();

    bool IsOpen() const { return master_ >= 0; }
    int Master() const { return master_; }  // non-blocking
    const std::string& SlavePath() const { return slavePath_; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

// A symbolic link to the slave for tools and configuration files that want a fixed name.
class SlaveLink {
public:
    SlaveLink() = default;
    SlaveLink(const SlaveLink&) = delete;
    SlaveLink& operator=(const SlaveLink&) = delete;
    ~SlaveLink() { Remove(); }

    // Makes (or moves) the link at `path` to `target`. An existing symbolic link is replaced;
    // any other file at `path` is left alone and reported.
    bool Point(const std::string& path, const std::string& target, std::string& error);
    // Removes the link if it still points where this object made it point.
    void Remove();

private:
    std::string path_;
    std::string target_;
};

}  // namespace zr640::sim
