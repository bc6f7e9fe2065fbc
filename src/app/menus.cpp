// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/menus.h"

#include "platform/dialog_layout.h"

namespace zr640 {
namespace {

// The access keys stay clear of the system menu's own "Verschieben" and "Schließen".
constexpr const char* kCopyLine = "Zeile &kopieren\tStrg+C";
constexpr const char* kCopyAll = "&Alles kopieren";
constexpr const char* kSaveLog = "Protokoll s&peichern\x85";
constexpr const char* kChooseRoute = "Strecke &w\xE4hlen\x85";
constexpr const char* kAbout = "\xDC&ber zr640\x85";
constexpr MenuEntry kSeparator{0, "", true};

}  // namespace

std::vector<MenuEntry> MenuEntries(Menu menu, const MenuState& state) {
    const MenuEntry chooseRoute{IDM_CHOOSE_ROUTE, kChooseRoute, !state.transferRunning};
    if (menu == Menu::System) {
        return {kSeparator, {IDM_COPY_ALL, kCopyAll, true}, {IDM_SAVE_LOG, kSaveLog, true},
                chooseRoute, {IDM_ABOUT, kAbout, true}};
    }
    std::vector<MenuEntry> entries{{IDM_COPY_LINE, kCopyLine, state.lineSelected},
                                   {IDM_COPY_ALL, kCopyAll, true},
                                   {IDM_SAVE_LOG, kSaveLog, true},
                                   kSeparator,
                                   chooseRoute};
    if (menu == Menu::LogContextWithAbout) {
        entries.insert(entries.end(), {kSeparator, {IDM_ABOUT, kAbout, true}});
    }
    return entries;
}

}  // namespace zr640
