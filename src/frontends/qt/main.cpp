// SPDX-License-Identifier: GPL-3.0-or-later
// zr640 on Linux: the main dialog in Qt 6 Widgets over the POSIX backends.
#include <clocale>
#include <string>

#include <unistd.h>

#include <QApplication>
#include <QIcon>

#include "app/main_dialog_controller.h"
#include "platform/quit_request.h"
#include "config/configuration.h"
#include "backends/posix/ini_profile_file.h"
#include "backends/posix/posix_serial_device.h"
#include "backends/posix/xdg_editor_launcher.h"
#include "frontends/qt/command_line.h"
#include "frontends/qt/main_dialog.h"
#include "frontends/qt/qt_clipboard.h"
#include "frontends/qt/qt_file_chooser.h"
#include "frontends/qt/qt_message_box.h"
#include "frontends/qt/route_dialog.h"
#include "frontends/qt/screenshot.h"

namespace {

std::string WorkingDirectory() {
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) != nullptr ? std::string(buffer) : std::string(".");
}

}  // namespace

int main(int argc, char* argv[]) {
    using namespace zr640;
    if (const auto status = platform::AnswerCommandLine(argc, argv)) {
        return *status;
    }
    QApplication application(argc, argv);
    // Qt has taken the user's locale; the log's numbers keep their full stop.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setWindowIcon(QIcon(":/zr640.png"));

    platform::QtMessageBox messageBox;
    platform::InstallMessageBox(&messageBox);

    platform::IniProfileFile profile;
    AppConfig config;
    LoadConfiguration(profile, WorkingDirectory(), '/', config);
    // The configuration has said why the program cannot go on; a dialog would only open the
    // port with settings that are not the user's.
    if (QuitRequested()) {
        platform::InstallMessageBox(nullptr);
        return 0;
    }
    LoadDeviceSetting(profile, config);

    platform::PosixSerialDevice serialDevice(config.Device);
    platform::QtFileChooser fileChooser;
    platform::XdgEditorLauncher editor;
    platform::SteadyClock clock;
    platform::QtClipboard clipboard;
    platform::EventLoopJobRunner jobs;
    platform::QtRouteDialog routeDialog;
    MainDialogController controller(config, {serialDevice, fileChooser, editor, clock, jobs,
                                             clipboard, platform::kLinuxTextConvention, profile,
                                             routeDialog});
    {
        platform::MainDialog dialog(controller);
        platform::ArrangeScreenshotFromEnvironment(dialog);
        dialog.exec();
    }
    platform::InstallMessageBox(nullptr);
    return 0;
}
