#include <nlohmann/json.hpp>

#include "ToolRunner.h"
#include "render/Surface.h"
#include "world/Palette.h"

using test_support::Cp;
using test_support::Lines;
using test_support::ReadBytes;

namespace fs = std::filesystem;
// Its == tells members in another order apart, so a change of order fails as a change of value does.
using Json = nlohmann::ordered_json;

namespace {

render::Surface Plain(int width, int height, render::Color color) {
  render::Surface s;
  s.SetSize(width, height);
  s.Fill(color);
  return s;
}

class Publish : public Tool {
 protected:
  void SetUp() override {
    fs::create_directory(dir / "world");
    // Lands "A" (65) on row 1 and "B" (66) on row 2; a gold deposit at (3, 2).
    dir.Write("world/orv.dat", Cp("header\r\n\r\n2\r\n\r\nAAAA\r\nBBBB\r\n1 \r\n2 3 2,\r\n3 \r\n4 \r\nlands\r\n"
                                  "A\r\nАркадия\r\n15\r\nB\r\nБорея <юг>\r\n-4\r\n"));
    Plain(300, 200, world::Rgb(210, 230, 190)).SaveBmp(dir / "world/map.bmp");
    Plain(300, 20, render::White).SaveBmp(dir / "world/osnova.bmp");
    Plain(80, 20, render::White).SaveBmp(dir / "world/rudnici.bmp");
    dir.Write("colours.pal", "0 0 0\r\n200 30 17\r\n");
    // Year 4 moves A's dragon from (2, 2) to (4, 3), takes away its fortress, adds a castle, and
    // renames player B, whose name needs escaping in JSON and HTML alike.
    dir.Write("Год3.tvk", Lines({"legend", "3", "Player", Cp("Север"), "0 0", Cp("д 2 2,"), Cp("К 3 1,"),
                                "Player", Cp("Юг"), "0 0", Cp("г 5 5,"), "END"}));
    dir.Write("Год4.tvk", Lines({"legend", "4", "Player", Cp("Север"), "0 0", Cp("д 4 3,"), Cp("З 1 1,"),
                                "Player", Cp("Юг \"<b>\""), "0 0", Cp("г 5 5,"), "END"}));
    dir.Write("Год5.tvk", Lines({"legend", "5", "Player", Cp("Север"), "0 0", Cp("д 4 3,"), "END"}));
  }

  // The JSON inside a data file: the call around it stripped, members in the order written.
  Json Data(const fs::path& file, const std::string& call) {
    const std::string text = ReadBytes(file);
    const std::string head = "Tirmagor." + call + "(", tail = ");\n";
    EXPECT_TRUE(text.starts_with(head) && text.ends_with(tail)) << file << ": " << text.substr(0, 40);
    if (text.size() < head.size() + tail.size()) return nullptr;
    return Json::parse(text.substr(head.size(), text.size() - head.size() - tail.size()));
  }

  ToolRun PublishYears(const std::string& site, const std::string& turns, const std::string& more = "") {
    return RunTool("publish --dir world --palette colours.pal " + more + " -o " + site + " " + turns);
  }
};

TEST_F(Publish, SiteHasThePageTheRenderedPicturesAndTheDataOfEveryYear) {
  ASSERT_EQ(PublishYears("site", "Год4.tvk Год3.tvk", "--title 'Игра <1> & \"всё\"'"), (ToolRun{0, "site/index.html\n", ""}));
  const std::string page = ReadBytes(dir / "site/index.html");
  EXPECT_NE(page.find("Игра &lt;1&gt; &amp; &quot;всё&quot;"), std::string::npos);
  EXPECT_EQ(page.find("@TITLE@"), std::string::npos);
  for (const char* file : {"site.js", "site.css"}) EXPECT_GT(fs::file_size(dir / "site" / file), 0u) << file;

  // The pictures are the ones render makes, byte for byte.
  ASSERT_EQ(RunTool("render --dir world --palette colours.pal --format png -o rendered Год3.tvk Год4.tvk").status, 0);
  EXPECT_EQ(ReadBytes(dir / "site/maps/3.png"), ReadBytes(dir / "rendered/Год3.png"));
  EXPECT_EQ(ReadBytes(dir / "site/maps/4.png"), ReadBytes(dir / "rendered/Год4.png"));

  // Every member, in its place, as the page and other readers of the data know it. Cell (2, 2)
  // starts at map pixel (60, 38), where the editor draws it; the years come in order, whatever
  // order the turns came in; player 2 of year 4 was renamed and its name needs escaping.
  Json epoch = Json::parse(R"json({"format": 1, "title": "Игра <1> & \"всё\"",
    "map": {"width": 300, "height": 200, "cellSize": 20, "cellLeft": 20, "cellTop": -2, "columns": 110, "rows": 76},
    "kinds": [], "mineNames": ["Серебряный", "Золотой", "Мифриловый", "Драконий"], "land": "the land command's",
    "mines": [[3, 2, 2]], "lands": {"65": {"name": "Аркадия", "income": 15}, "66": {"name": "Борея <юг>", "income": -4}},
    "players": [], "years": []})json");
  const char* words[] = {"гном", "варвар", "эльф", "орк", "рыцарь", "маг", "зомби", "дракон", "личное войско",
                         "корабь(флот)", "крепость", "город", "замок", "поместье", "башня", "медь", "серебро", "золото", "мифрил"};
  for (int k = 1; k <= 19; ++k)
    epoch["kinds"].push_back({{"code", k}, {"word", words[k - 1]}, {"group", k <= 10 ? "troop" : k <= 15 ? "building" : "mine"}});
  // Players 1 and 2 from the palette file, the rest at their defaults.
  const char* colours[] = {"#000000", "#c81e11", "#ff8040", "#808080", "#ff0000", "#00c0ff", "#00ff00", "#0d680a", "#ffff00",
                           "#000000", "#0000ff", "#000080", "#008080", "#00ff80", "#00ffff", "#800000", "#800080", "#808000",
                           "#8080ff", "#80ff00", "#80ff80", "#80ffff", "#ff0080", "#ff8080", "#ff80ff", "#ffff80", "#ffffff"};
  for (int p = 1; p <= 27; ++p) epoch["players"].push_back({{"player", p}, {"color", colours[p - 1]}});
  // The land grid and each year's counts are those the land and stats commands give, whose own
  // tests check them.
  epoch["land"] = Json::parse(RunTool("land world/orv.dat").out)["land"];
  ASSERT_EQ(RunTool("stats --json stats.json Год3.tvk Год4.tvk").status, 0);
  const Json stats = Json::parse(ReadBytes(dir / "stats.json"));
  for (const Json& year : stats["years"]) {
    const std::string y = year["year"].dump();
    epoch["years"].push_back({{"year", year["year"]}, {"map", "maps/" + y + ".png"}, {"data", "data/" + y + ".js"},
                              {"players", year["players"]}});
  }
  EXPECT_EQ(Data(dir / "site/data/epoch.js", "epoch"), epoch);

  EXPECT_EQ(Data(dir / "site/data/3.js", "year"), Json::parse(R"json({"year": 3, "players": [
    {"player": 1, "name": "Север", "units": [[2, 2, 8], [3, 1, 11]]}, {"player": 2, "name": "Юг", "units": [[5, 5, 1]]}],
    "diff": null})json"));
  EXPECT_EQ(Data(dir / "site/data/4.js", "year"), Json::parse(R"json({"year": 4, "players": [
    {"player": 1, "name": "Север", "units": [[4, 3, 8], [1, 1, 13]]},
    {"player": 2, "name": "Юг \"<b>\"", "units": [[5, 5, 1]]}],
    "diff": {"from": 3, "players": [
      {"player": 1, "name": "Север", "added": [[13, 1, 1]], "removed": [[11, 3, 1]], "moved": [[8, 2, 2, 4, 3]],
       "before": {"troops": 1, "buildings": 1, "mines": 0}, "after": {"troops": 1, "buildings": 1, "mines": 0}},
      {"player": 2, "name": "Юг \"<b>\"", "renamedFrom": "Юг", "added": [], "removed": [], "moved": [],
       "before": {"troops": 1, "buildings": 0, "mines": 0}, "after": {"troops": 1, "buildings": 0, "mines": 0}}]}})json"));
}

TEST_F(Publish, TitleIsTheWorldFolderNameUnlessGiven) {
  ASSERT_EQ(PublishYears("site", "Год3.tvk").status, 0);
  EXPECT_NE(ReadBytes(dir / "site/index.html").find("<title>world"), std::string::npos);
  EXPECT_EQ(Data(dir / "site/data/epoch.js", "epoch")["title"], "world");
  // A title that is not UTF-8 still makes a site; its stray byte becomes U+FFFD in the data.
  ASSERT_EQ(PublishYears("site", "Год3.tvk", "--title \"$(printf 'Игра \\377')\"").status, 0);
  EXPECT_EQ(Data(dir / "site/data/epoch.js", "epoch")["title"], "Игра \uFFFD");
}

TEST_F(Publish, ANewSiteReplacesTheOldWholeAndAFailureLeavesItAsItWas) {
  ASSERT_EQ(PublishYears("site", "Год3.tvk Год4.tvk").status, 0);
  ASSERT_EQ(PublishYears("site/", "Год5.tvk").status, 0);
  EXPECT_FALSE(fs::exists(dir / "site/maps/3.png"));
  EXPECT_FALSE(fs::exists(dir / "site/data/4.js"));
  EXPECT_TRUE(fs::exists(dir / "site/maps/5.png"));
  const auto before = test_support::ContentsOf(dir / "site");

  EXPECT_EQ(PublishYears("site", "Год3.tvk missing.tvk"), (ToolRun{1, "", "missing.tvk: File not found\n"}));
  dir.Write("Год4-copy.tvk", ReadBytes(dir / "Год4.tvk"));
  EXPECT_EQ(PublishYears("site", "Год4.tvk Год3.tvk Год4-copy.tvk"),
            (ToolRun{1, "", "Год4.tvk and Год4-copy.tvk: both are year 4\n"}));
  // A start-up file gone: the pictures cannot be drawn.
  fs::rename(dir / "world/osnova.bmp", dir / "osnova.bmp");
  EXPECT_EQ(PublishYears("site", "Год3.tvk"), (ToolRun{1, "", "Cannot open file world/osnova.bmp\n"}));

  EXPECT_EQ(test_support::ContentsOf(dir / "site"), before);
  for (const auto& entry : fs::directory_iterator(dir.path()))
    EXPECT_EQ(entry.path().filename().string().find(".site"), std::string::npos) << "left behind: " << entry.path();
}

TEST_F(Publish, RefusesToReplaceWhatIsNoSite) {
  fs::create_directory(dir / "documents");
  dir.Write("documents/letter.txt", "keep me");
  dir.Write("file", "a file");
  EXPECT_EQ(PublishYears("documents", "Год3.tvk"),
            (ToolRun{1, "", "documents: a folder that is not a site made by tirmagor-tool publish; name a new or empty folder\n"}));
  EXPECT_EQ(PublishYears("file", "Год3.tvk"), (ToolRun{1, "", "file: exists and is not a folder\n"}));
  EXPECT_EQ(test_support::ContentsOf(dir / "documents"), (std::map<std::string, std::string>{{"letter.txt", "keep me"}}));
  EXPECT_EQ(ReadBytes(dir / "file"), "a file");

  // An empty folder is a fine place for a new site.
  fs::create_directory(dir / "empty");
  EXPECT_EQ(PublishYears("empty", "Год3.tvk").status, 0);
  EXPECT_TRUE(fs::exists(dir / "empty/maps/3.png"));
}

}  // namespace
