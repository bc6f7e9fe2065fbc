// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/configuration.h"
#include "config/route.h"

#include <string>

#include "platform/event_log.h"
#include "platform/quit_request.h"
#include "platform/message_box.h"

namespace zr640 {
namespace {

struct ProfileEntry {
    const char* section;
    const char* key;
    const char* value;
};

// What a new file holds, in the order it is written. MaxLaengeName1 is written as 12 but
// read with the fallback 8.
constexpr ProfileEntry kDefaultFile[] = {
    {"ZR640", "COMSETTINGS", kDefaultComSettings},
    {"Settings", "Debug", "0"},
    {"Settings", "MaxLaengeName1", "12"},
    {"Settings", "MaxLaengeName2", "4"},
    {"Settings", "Hoehe", "1"},
    {"Settings", "Frequenz", "1"},
    {"Strecke", "StreckenPunkt1", "Lauf-Lillinghof,EDQI"},
    {"Strecke", "StreckenPunkt2", "Oschersleben,EDOL"},
    {"Strecke", "StreckenPunkt3", "Hetzleser Berg,EDQX"},
    {"Strecke", "StreckenPunkt4", "Bayreuth,EDQD"},
};

constexpr const char* kNotFoundCaption = "Ini-Datei nicht gefunden!";
constexpr const char* kDefaultWrittenText =
    "\n\nDie Ini-Datei wurde in\n%s nicht gefunden.\n\nEine Datei mit Defaulteinstellungen "
    "wurde angelegt.\n\nBitte auf aktuelle Einstellungen hin editieren!\n\nProgramm wird "
    "beendet!";
// Saying that the file was created when it could not be (a directory without write access,
// a path the platform refuses) would send the user looking for a file that is not there.
constexpr const char* kDefaultNotWrittenText =
    "\n\nDie Ini-Datei wurde in\n%s nicht gefunden.\n\nEine Datei mit Defaulteinstellungen "
    "konnte nicht angelegt werden!\n\nProgramm wird beendet!";

// The path is kept in 256 bytes, and the Windows profile functions take no longer paths
// (they refuse or, worse, claim to have written what they did not). A longer path is
// refused before the file is touched.
constexpr std::size_t kMaxConfigPathLength = kFieldSize - 1;
// A file that is there but cannot be read (a directory of that name, no read permission)
// would read as empty, and the built-in settings would pass for the user's.
constexpr const char* kUnreadableCaption = "Ini-Datei nicht lesbar!";
constexpr const char* kUnreadableText =
    "\n\nDie Ini-Datei\n%s\nl\xE4sst sich nicht lesen.\n\nProgramm wird beendet!";
constexpr const char* kPathTooLongText =
    "\n\nDer Pfad der Ini-Datei ist l\xE4nger als 255 Zeichen:\n%s\n\nProgramm wird beendet!";

bool WriteDefaultFile(platform::ProfileFile& profile, const char* path) {
    bool allWritten = true;
    for (const ProfileEntry& entry : kDefaultFile) {
        allWritten = profile.WriteString(entry.section, entry.key, entry.value, path) && allWritten;
    }
    return allWritten;
}

void ReadSettings(platform::ProfileFile& profile, const char* path, AppConfig& config) {
    config.Debug = profile.GetInt("Settings", "Debug", 0, path) != 0;
    config.MaxLaengeName1 = profile.GetInt("Settings", "MaxLaengeName1", 8, path);
    config.MaxLaengeName2 = profile.GetInt("Settings", "MaxLaengeName2", 4, path);
    config.Hoehe = profile.GetInt("Settings", "Hoehe", 1, path) != 0;
    config.Frequenz = profile.GetInt("Settings", "Frequenz", 1, path) != 0;
}

}  // namespace

void LoadConfiguration(platform::ProfileFile& profile, const std::string& workingDirectory,
                       char separator, AppConfig& config) {
    config.ConfigFilePath = workingDirectory + separator + kConfigFileName;
    const char* path = config.ConfigFilePath.c_str();

    if (config.ConfigFilePath.size() > kMaxConfigPathLength) {
        ShowMessage(platform::kStyleStopIcon, 1, kNotFoundCaption, kPathTooLongText, path);
        RaiseQuitRequest();
        return;
    }
    if (!profile.Exists(path)) {
        const bool written = WriteDefaultFile(profile, path);
        ShowMessage(platform::kStyleStopIcon, 1, kNotFoundCaption,
                    written ? kDefaultWrittenText : kDefaultNotWrittenText, path);
        RaiseQuitRequest();
        return;
    }
    if (!profile.Readable(path)) {
        ShowMessage(platform::kStyleStopIcon, 1, kUnreadableCaption, kUnreadableText, path);
        RaiseQuitRequest();
        return;
    }

    const std::string comSettings =
        profile.GetString("ZR640", "COMSETTINGS", kDefaultComSettings, path);
    ParseComSettings(comSettings.c_str(), config);
    ReadSettings(profile, path, config);
    SetRoute(ReadRouteValues(profile, path), config);
}

void LoadDeviceSetting(platform::ProfileFile& profile, AppConfig& config) {
    config.Device = profile.GetString("ZR640", "Device", "", config.ConfigFilePath.c_str());
}

}  // namespace zr640
