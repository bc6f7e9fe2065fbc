// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace zr640::testing {

// One line of a generated waypoint file and the nine fields the instrument must receive for
// it (trimmed; names of at most 26 characters, each name once, codes of 5).
struct SampleWaypoint {
    std::string line;
    std::array<std::string, 9> fields;
};

// `count` real-looking waypoints in Windows-1252, always the same for the same count: place
// names with umlauts, positions as degrees and decimal minutes, elevations, runways and
// frequencies; some fields empty, some surrounded by blanks that the upload trims away.
inline std::vector<SampleWaypoint> SampleWaypoints(int count) {
    static const char* const kPlaces[] = {
        "Aalen-Heidenheim", "Bayreuth", "B\xFC" "ckeburg", "D\xF6" "rnberg", "F\xFCssen",
        "G\xF6rlitz", "Hetzleser Berg", "K\xF6nigsdorf", "K\xF6tzting", "L\xFCneburg",
        "M\xFCllheim", "M\xFCnchen Riem", "N\xF6rdlingen", "Oschersleben", "Pf\xE4" "lzer Wald",
        "Stra\xDF" "berg", "T\xFC" "bingen", "\xDC" "berlingen", "W\xFCrzburg", "Zw\xF6nitz",
        "Lauf-Lillinghof", "Hahnweide", "Wasserkuppe", "Klippeneck", "Unterw\xF6ssen",
        "Sch\xE4" "nis", "H\xF6xter", "Bad S\xE4" "ckingen", "G\xE4rtringen", "R\xFCsselsheim"};
    static const char* const kSuffixes[] = {"", " Nord", " S\xFC" "d", " Ost", " West",
                                            " Br\xFC" "cke", " Turm", " Kreuz"};
    static const char* const kStyles[] = {"1", "2", "3", "4", "5"};
    constexpr int kPlaceCount = static_cast<int>(sizeof kPlaces / sizeof kPlaces[0]);

    std::vector<SampleWaypoint> waypoints;
    unsigned seed = 12345;
    auto next = [&seed](unsigned range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % range;
    };
    for (int n = 0; n < count; ++n) {
        SampleWaypoint waypoint;
        auto& f = waypoint.fields;
        f[0] = std::string(kPlaces[n % kPlaceCount]) + kSuffixes[(n / kPlaceCount) % 8];
        // Every name once, as the instrument keeps one waypoint per name.
        if (const int round = n / (kPlaceCount * 8); round > 0) {
            f[0] += " " + std::to_string(round + 1);
        }
        char text[32];
        std::snprintf(text, sizeof text, "%c%c%c%02d", 'A' + static_cast<int>(next(26)),
                      'A' + static_cast<int>(next(26)), 'A' + static_cast<int>(next(26)), n % 100);
        f[1] = text;
        std::snprintf(text, sizeof text, "%02u%02u.%03uN", 47 + next(8), next(60), next(1000));
        f[2] = text;
        std::snprintf(text, sizeof text, "%03u%02u.%03uE", 6 + next(9), next(60), next(1000));
        f[3] = text;
        std::snprintf(text, sizeof text, "%u.0m", 100 + next(1400));
        f[4] = text;
        f[5] = kStyles[next(5)];
        if (n % 3 != 0) {
            std::snprintf(text, sizeof text, "%02u%u", next(36) + 1, 0u);
            f[6] = text;
            std::snprintf(text, sizeof text, "%u.0m", 400 + 50 * next(20));
            f[7] = text;
        }
        if (n % 4 != 1) {
            std::snprintf(text, sizeof text, "1%02u.%03u", 18 + next(18), 5 * next(200));
            f[8] = text;
        }
        for (std::size_t i = 0; i < f.size(); ++i) {
            // Blanks around some fields, as hand-edited files have them.
            const bool padded = next(6) == 0;
            waypoint.line += (i == 0 ? "" : ",") + std::string(padded ? " " : "") + f[i] +
                             (padded ? "  " : "");
        }
        waypoints.push_back(waypoint);
    }
    return waypoints;
}

// The file of these waypoints with CR LF line ends and a blank line after every 50th.
inline std::string SampleWaypointFile(const std::vector<SampleWaypoint>& waypoints) {
    std::string file;
    for (std::size_t n = 0; n < waypoints.size(); ++n) {
        file += waypoints[n].line + "\r\n";
        if (n % 50 == 49) file += "\r\n";
    }
    return file;
}

}  // namespace zr640::testing
