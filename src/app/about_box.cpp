// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/about_box.h"

#include "app/log_text.h"
#include "platform/event_log.h"
#include "platform/message_box.h"
#include "zr640_version.h"

namespace zr640 {

void ShowAbout(const std::string& configFilePath, platform::TextConvention convention) {
    ShowMessage(platform::kStyleInformationIcon, 0, "\xDC" "ber zr640",
                "zr640 %s\n\n"
                "Liest die Telemetrie des ZR640 mit und \xFC" "bertr\xE4gt Wendepunkte und "
                "Strecke.\n\n"
                "Konfiguration: %.700s\n\n"
                "Lizenz: GNU General Public License, Version 3 oder sp\xE4ter",
                ZR640_VERSION, FromPlatformText(configFilePath, convention).c_str());
}

}  // namespace zr640
