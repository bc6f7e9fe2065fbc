// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/log_commands.h"

#include <ctime>

#include "app/log_text.h"
#include "platform/event_log.h"
#include "platform/message_box.h"

namespace zr640 {
namespace {

std::tm LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    // Only the dialog's thread asks, so the shared result is copied before anyone else can ask.
    const std::tm* local = std::localtime(&now);
    return local != nullptr ? *local : std::tm{};
}

}  // namespace

bool LogCommands::LineSelected() const { return list_ != nullptr && list_->GetCurSel() >= 0; }

void LogCommands::TakeSelectedLine() {
    lineInHand_.reset();
    if (LineSelected()) {
        lineInHand_ = list_->GetText(list_->GetCurSel());
    }
}

void LogCommands::CopyLine() {
    if (lineInHand_) {
        Copy(EntryText(*lineInHand_, convention_));
    } else if (LineSelected()) {
        Copy(EntryText(list_->GetText(list_->GetCurSel()), convention_));
    }
}

void LogCommands::CopyAll() {
    if (list_ != nullptr) {
        Copy(LogText(LogEntries(*list_), convention_));
    }
}

void LogCommands::Copy(const std::string& text) {
    if (!clipboard_.SetText(text)) {
        ShowMessage(platform::kStyleStopIcon, 1, "Fehler",
                    "Die Zwischenablage ist gerade belegt. Bitte noch einmal versuchen.");
    }
}

void LogCommands::Save() {
    if (list_ == nullptr) {
        return;
    }
    const platform::FileChooserRequest request{
        "Protokoll speichern",
        startFolder_,
        {{"Textdateien", "*.txt"}},
        platform::FileChooserPurpose::Save,
        LogFileName(LocalTimeNow()),
    };
    std::string path;
    if (!chooser_.ChooseFile(request, path)) {
        return;
    }
    if (const auto reason = WriteWholeFile(path, LogText(LogEntries(*list_), convention_))) {
        ShowMessage(platform::kStyleStopIcon, 1, "Fehler",
                    "Das Protokoll l\xE4sst sich nicht speichern:\n%.700s\n\n%s",
                    FromPlatformText(path, convention_).c_str(), reason->c_str());
    }
}

}  // namespace zr640
