// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "config/app_config.h"
#include "platform/profile_file.h"

namespace zr640 {

inline constexpr const char* kConfigFileName = "zr640.ini";
inline constexpr const char* kDefaultComSettings = "COM1:4800,N,8,1";

// Fills `config` from zr640.ini in `workingDirectory`, or writes a default file there, shows
// a message and raises the quit request. `separator` is the platform's path separator. A path
// of more than 255 characters is refused with a message and the quit request.
void LoadConfiguration(platform::ProfileFile& profile, const std::string& workingDirectory,
                       char separator, AppConfig& config);

// The Linux start-up's extra: the optional key "Device" of section "ZR640" in the file that
// LoadConfiguration located (config.ConfigFilePath). A default file never holds it.
void LoadDeviceSetting(platform::ProfileFile& profile, AppConfig& config);

// Matches "COM%d:%ld,%c,%d,%d" with scanf's rules, storing each value as it is taken; on a
// malformed text shows the message and raises the quit request. A number out of the range of
// its field counts as a mismatch.
void ParseComSettings(const char* text, AppConfig& config);

// Splits one comma-separated line into nine trimmed fields, cutting fields 1 and 2 to
// MaxLaengeName1 and MaxLaengeName2 characters (a negative length empties the field, one of
// 255 or more leaves it whole). False when a piece was longer than a field holds (255
// characters); that field then holds its first 255 characters.
bool ParseWaypointFields(const char* text, WaypointFields& record, const AppConfig& config);

// Removes leading white space and trailing blanks in place; returns the new length.
int TrimField(char* field);

}  // namespace zr640
