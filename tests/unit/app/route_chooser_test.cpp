// SPDX-License-Identifier: GPL-3.0-or-later
// The route dialog's model over real waypoint files, read with the upload's reader: each row a
// file, the route the dialog opens with and the user's steps; what the dialog shows after each
// step is compared with tests/data/app/route_chooser.log (ZR640_REGENERATE_GOLDEN=1 rewrites it:
// review the diff).
#include "app/route_chooser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "route_chooser_text.h"
#include "test_files.h"
#include "transcript.h"

namespace zr640 {
namespace {

using namespace std::string_literals;

struct Row {
    const char* name;
    std::string file;
    std::vector<std::string> route;  // the values of the keys
    std::vector<std::string> steps;
};

const std::string kPlaces =
    "M\xFCnster S\xFC" "d,EDDG,N\r\nM\xDCNCHEN,EDDM\r\nOschersleben,EDOL\r\n"
    "\xD6hringen,EDTX\r\nBayreuth,EDQD\r\n";

TEST(RouteChooser, EveryFileAndEveryStepShowsItsGoldenState) {
    const std::string a250(250, 'a');
    const Row rows[] = {
        {"the filter narrows by name or identifier, upper and lower case alike, umlauts too; "
         "the selected record stays while it passes, else the first is; typing in the list "
         "jumps to the next name that begins so", kPlaces, {},
         {"filter \xFC", "select 1", "filter \xDCN", "filter ed", "filter \xF6H", "filter xyz",
          "add", "filter ", "find m 0", "find M 2", "find m\xFCn 1", "find z 0"}},
        {"add, remove and reorder; a fifth point is refused, as are moves past either end",
         kPlaces, {"Bayreuth,EDQD"},
         {"select 4", "add", "select 0", "add", "add", "select 2", "add", "point 3", "up",
          "up", "up", "up", "down", "remove", "point 0", "remove", "remove", "remove", "remove"}},
        {"lines the upload would refuse, and those whose two fields do not fit a key, are "
         "skipped and counted; empty lines are none; names are cut as sent, lines numbered as "
         "in the file",
         "Hetzleser Berg,EDQX,N\r\n\r\n   \r\n" + std::string(512, 'x') + "\r\nNull\0Byte\r\n"s +
             "Text\rnach CR\r\nB,C," + std::string(256, 'f') + "\r\nB,C," + a250 + "," + a250 +
             "\r\n" + std::string(250, 'n') + ",ABCDEF\r\n" + std::string(250, 'n') +
             ",ABCD\r\nAalen,EDPA",
         {"  Lauf-Lillinghof  ,EDQI,x", ",EDXX"}, {"point 1", "down", "filter n"}},
        {"one line skipped", "Aalen,EDPA\r\n" + std::string(600, 'x') + "\n", {}, {}},
        {"an empty file offers nothing to add", "", {"Bayreuth,EDQD"}, {"add", "point 0"}},
    };
    AppConfig config;
    config.MaxLaengeName1 = 12;
    std::string story;
    for (const Row& row : rows) {
        testing::TemporaryDirectory directory;
        const std::string path = directory.File("punkte.wht");
        testing::WriteBytes(path, row.file);
        RouteChooser chooser(config);
        ASSERT_EQ(LoadRouteRecords(path, config, chooser), RecordsRead::Read) << row.name;
        std::vector<RoutePoint> route;
        for (const std::string& value : row.route) route.push_back(RoutePointOf(value));
        chooser.SetRoute(route);
        story += "== " + std::string(row.name) + "\nopened: " + testing::Shown(chooser) + "\n";
        for (const std::string& step : row.steps) {
            const std::string said = testing::Take(chooser, step);
            story += step + ": " + (said.empty() ? testing::Shown(chooser) : said) + "\n";
        }
        std::vector<std::string> written;
        for (const RoutePoint& point : chooser.Route()) written.push_back(RouteValue(point));
        story += "OK writes:";
        for (const std::string& value : written) story += " [" + value + "]";
        story += "\n";
    }
    testing::ExpectGolden(ZR640_APP_GOLDEN_DIR "/route_chooser.log", testing::Escaped(story, true));
}

}  // namespace
}  // namespace zr640
