// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontends/qt/qt_file_chooser.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "platform/event_log.h"
#include "platform/message_box.h"
#include "app/main_dialog_controller.h"
#include "frontends/qt/cp1252.h"

namespace zr640::platform {
namespace {

// The text that the file's name cannot be chosen for, or null when it can.
const char* ProblemWith(const QString& path) {
    if (!QFileInfo(path).absoluteDir().exists()) {
        return "Der Ordner dieser Datei existiert nicht.";
    }
    // Qt shows bytes that are not valid in the file system's encoding as U+FFFD; such a
    // name would open a different file.
    if (path.contains(QChar::ReplacementCharacter)) {
        return "Der Dateiname ist in der Zeichenkodierung des Dateisystems nicht darstellbar.";
    }
    // Said here, while the user can still choose another name, and without the path, which a
    // Windows-1252 message would garble.
    if (static_cast<std::size_t>(QFile::encodeName(path).size()) > kMaxWaypointPathLength) {
        return "Der Pfad ist zu lang (h\xF6" "chstens 259 Bytes).";
    }
    return nullptr;
}

// Keeps itself open, like the Windows file-open dialog, while the typed name lies in a
// missing folder or cannot be handed on.
class WaypointFileDialog final : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override {
        const QStringList files = selectedFiles();
        if (files.size() == 1 && !QFileInfo(files.front()).isDir()) {
            if (const char* problem = ProblemWith(files.front())) {
                ShowMessage(kStyleStopIcon, 1, "Fehler", "%s", problem);
                return;
            }
        }
        QFileDialog::accept();
    }
};

QString NameFilter(const std::pair<std::string, std::string>& filter) {
    // "*.*" means every file on Windows; here that is "*", names without a dot included.
    const QString pattern = filter.second == "*.*" ? QString("*") : FromCp1252(filter.second);
    return FromCp1252(filter.first) + " (" + pattern + ")";
}

QString StartDirectory(const std::string& initialDirectory) {
    const QDir requested(QDir::current().absoluteFilePath(FromCp1252(initialDirectory)));
    return requested.exists() ? requested.absolutePath() : QDir::currentPath();
}

// The extension of a pattern such as "*.txt", or empty.
QString ExtensionOf(const std::string& pattern) {
    return pattern.starts_with("*.") && pattern != "*.*" ? FromCp1252(pattern.substr(2))
                                                         : QString();
}

bool Run(QFileDialog& dialog, const FileChooserRequest& request, std::string& chosenPath) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::AnyFile);
    QStringList filters;
    for (const auto& filter : request.filters) {
        filters << NameFilter(filter);
    }
    dialog.setNameFilters(filters);
    if (request.purpose == FileChooserPurpose::Save) {
        // Qt's own dialog asks before it overwrites a file.
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        if (!request.filters.empty()) {
            dialog.setDefaultSuffix(ExtensionOf(request.filters.front().second));
        }
        dialog.selectFile(FromCp1252(request.fileName));
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().size() != 1) {
        return false;
    }
    chosenPath = QFile::encodeName(dialog.selectedFiles().front()).toStdString();
    return true;
}

}  // namespace

bool QtFileChooser::ChooseFile(const FileChooserRequest& request, std::string& chosenPath) {
    QWidget* owner = QApplication::activeWindow();
    const QString title = FromCp1252(request.title);
    const QString start = StartDirectory(request.initialDirectory);
    if (request.purpose == FileChooserPurpose::Save) {
        QFileDialog dialog(owner, title, start);
        return Run(dialog, request, chosenPath);
    }
    WaypointFileDialog dialog(owner, title, start);
    return Run(dialog, request, chosenPath);
}

}  // namespace zr640::platform
