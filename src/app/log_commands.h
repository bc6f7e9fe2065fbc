// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "platform/clipboard.h"
#include "platform/file_chooser.h"
#include "platform/list_view.h"

namespace zr640 {

// The commands that take the log out of the window: "Zeile kopieren" (also Ctrl+C),
// "Alles kopieren" and "Protokoll speichern…". They read the list as it stands and change
// nothing in it; a failure is said in a box.
class LogCommands {
public:
    // `startFolder`: where the program was started, which the save chooser offers; the open
    // chooser of Windows moves the working directory to the folder of each file chosen.
    LogCommands(platform::Clipboard& clipboard, platform::TextConvention convention,
                platform::FileChooser& chooser, std::string startFolder)
        : clipboard_(clipboard), convention_(convention), chooser_(chooser),
          startFolder_(std::move(startFolder)) {}

    void Attach(platform::ListView* list) { list_ = list; }
    bool LineSelected() const;

    // The context menu opens: the selected entry is what "Zeile kopieren" copies, however the
    // log moves on while the menu is open. Let go when the menu has closed.
    void TakeSelectedLine();
    void LetGoOfLine() { lineInHand_.reset(); }

    // The entry in hand, else the selected one; nothing without either.
    void CopyLine();
    void CopyAll();
    void Save();

private:
    void Copy(const std::string& text);

    platform::Clipboard& clipboard_;
    platform::TextConvention convention_;
    platform::FileChooser& chooser_;
    std::string startFolder_;
    platform::ListView* list_ = nullptr;
    std::optional<std::string> lineInHand_;
};

}  // namespace zr640
