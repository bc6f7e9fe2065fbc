// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/waypoint_line.h"

#include <optional>

#include "config/configuration.h"
#include "transfer/upload_sentences.h"

namespace zr640 {
namespace {

PreparedLine Refused(const char* problem) {
    PreparedLine line;
    line.problem = problem;
    return line;
}

}  // namespace

PreparedLine PrepareLine(WaypointLineStatus status, const WaypointFileReader& reader,
                         const AppConfig& config) {
    switch (status) {
    case WaypointLineStatus::Line:
        break;
    case WaypointLineStatus::TooLong:
        return Refused("ist l\xE4nger als 511 Zeichen");
    case WaypointLineStatus::ZeroByte:
        return Refused("enth\xE4lt ein Nullbyte");
    case WaypointLineStatus::TextAfterCarriageReturn:
        return Refused("hat Text hinter dem CR");
    default:
        return Refused("l\xE4sst sich nicht lesen");
    }
    WaypointFields record;
    if (!ParseWaypointFields(reader.Text(), record, config)) {
        return Refused("hat ein Feld mit mehr als 255 Zeichen");
    }
    std::optional<std::string> sentence = RecordSentence(record);
    if (!sentence) {
        return Refused("ergibt einen Satz von mehr als 511 Zeichen");
    }
    PreparedLine line;
    line.sentence = std::move(*sentence);
    return line;
}

}  // namespace zr640
