// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontends/qt/command_line.h"

#include <cstdio>
#include <string_view>

#include "zr640_version.h"

namespace zr640::platform {
namespace {

// UTF-8, for the terminal; the dialog's own texts are those of the Windows program.
constexpr const char kHelpText[] = R"(Aufruf: zr640 [QT-OPTION]...
       zr640 --help | --version
Zeigt die Telemetrie des Fluginstruments ZR640 Zeile für Zeile im Ereignisprotokoll, lädt
Wendepunktdateien in das Instrument ("Update WP's", "Replace WP's") und sendet die Strecke
aus zr640.ini als Aufgabe ("Strecke setzen").

zr640 liest zr640.ini im Verzeichnis, in dem es gestartet wird. Fehlt die Datei, legt es
eine mit Vorgabewerten an, meldet das und endet: die Datei bearbeiten, dann neu starten.
Die serielle Leitung steht in [ZR640]: COMSETTINGS=COM1:4800,N,8,1 gibt die
Leitungseinstellungen, Device das Gerät (etwa /dev/ttyUSB0 oder ein Pfad unter
/dev/serial/by-id, der das Umstecken übersteht; ohne Device /dev/ttyS<Port-1>).

Optionen:
  -h, --help     diese Hilfe zeigen
  --version      die Version zeigen
Daneben gelten die Optionen von Qt, etwa -platform und -style.

Dateien:
  zr640.ini      die Einstellungen, im Startverzeichnis
  waypoints/     dort beginnt "Wählen" die Suche nach einer Wendepunktdatei

Der Desktop-Eintrag startet zr640 in ~/zr640 und legt den Ordner beim ersten Start an.
Das Instrument lässt sich mit zr640-sim nachspielen (zr640-sim --help, man zr640-sim).
)";

}  // namespace

std::optional<int> AnswerCommandLine(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        if (argument == "--help" || argument == "-h") {
            std::fputs(kHelpText, stdout);
            return 0;
        }
        if (argument == "--version") {
            std::printf("zr640 %s\n", ZR640_VERSION);
            return 0;
        }
    }
    return std::nullopt;
}

}  // namespace zr640::platform
