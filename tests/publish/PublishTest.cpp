#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <map>

#include "tool/ToolRunner.h"
#include "render/Surface.h"
#include "world/Palette.h"

using testing_files::Cp;
using testing_files::Lines;
using testing_files::ReadBytes;

namespace fs = std::filesystem;

namespace {

render::Surface Plain(int width, int height, render::Color color) {
  render::Surface s;
  s.SetSize(width, height);
  s.Fill(color);
  return s;
}

// Every file of a folder below it with its bytes, to tell whether a site was touched.
std::map<std::string, std::string> Tree(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) files[fs::relative(entry.path(), folder).string()] = ReadBytes(entry.path());
  return files;
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

  // The JSON inside a data file: the call around it stripped.
  QJsonObject Data(const fs::path& file, const std::string& call) {
    const std::string text = ReadBytes(file);
    const std::string head = "Tirmagor." + call + "(", tail = ");\n";
    EXPECT_EQ(text.substr(0, head.size()), head) << file;
    EXPECT_GE(text.size(), head.size() + tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail) << file;
    QJsonParseError error;
    const QByteArray json = QByteArray::fromStdString(text.substr(head.size(), text.size() - head.size() - tail.size()));
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return document.object();
  }

  ToolRun PublishYears(const std::string& site, const std::string& turns, const std::string& more = "") {
    return RunTool("publish --dir world --palette colours.pal " + more + " -o " + site + " " + turns);
  }
};

QJsonArray Tuple(std::initializer_list<int> numbers) {
  QJsonArray array;
  for (int n : numbers) array.append(n);
  return array;
}

TEST_F(Publish, SiteHasThePageTheRenderedPicturesAndTheDataOfEveryYear) {
  const ToolRun run = PublishYears("site", "Год4.tvk Год3.tvk", "--title 'Игра <1> & \"всё\"'");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "site/index.html\n");
  const std::string page = ReadBytes(dir / "site/index.html");
  EXPECT_NE(page.find("Игра &lt;1&gt; &amp; &quot;всё&quot;"), std::string::npos);
  EXPECT_EQ(page.find("@TITLE@"), std::string::npos);
  for (const char* file : {"site.js", "site.css"}) EXPECT_GT(fs::file_size(dir / "site" / file), 0u) << file;

  // The pictures are the ones render makes, byte for byte.
  ASSERT_EQ(RunTool("render --dir world --palette colours.pal --format png -o rendered Год3.tvk Год4.tvk").status, 0);
  EXPECT_EQ(ReadBytes(dir / "site/maps/3.png"), ReadBytes(dir / "rendered/Год3.png"));
  EXPECT_EQ(ReadBytes(dir / "site/maps/4.png"), ReadBytes(dir / "rendered/Год4.png"));

  const QJsonObject epoch = Data(dir / "site/data/epoch.js", "epoch");
  EXPECT_EQ(epoch["title"].toString(), QString("Игра <1> & \"всё\""));
  const QJsonObject map = epoch["map"].toObject();
  EXPECT_EQ(map["width"].toInt(), 300);
  EXPECT_EQ(map["height"].toInt(), 200);
  // Cell (2, 2) starts at map pixel (60, 38), where the editor draws it.
  EXPECT_EQ(map["cellLeft"].toInt() + 2 * map["cellSize"].toInt(), 60);
  EXPECT_EQ(map["cellTop"].toInt() + 2 * map["cellSize"].toInt(), 38);
  EXPECT_EQ(epoch["kinds"].toArray()[12].toObject()["word"].toString(), QString("замок"));
  EXPECT_EQ(epoch["kinds"].toArray()[15].toObject()["group"].toString(), QString("mine"));
  EXPECT_EQ(epoch["land"].toArray()[1].toArray()[3].toInt(), 'B');
  EXPECT_EQ(epoch["land"].toArray()[2].toArray()[0].toInt(), 0);
  EXPECT_EQ(epoch["mines"].toArray(), QJsonArray({Tuple({3, 2, 2})}));
  const QJsonObject landB = epoch["lands"].toObject()[QString::number('B')].toObject();
  EXPECT_EQ(landB["name"].toString(), QString("Борея <юг>"));
  EXPECT_EQ(landB["income"].toInt(), -4);
  EXPECT_EQ(epoch["players"].toArray()[1].toObject()["color"].toString(), QString("#c81e11"));
  EXPECT_EQ(epoch["players"].toArray().size(), world::MaxPlayers);

  // Years in order, whatever order the turns came in.
  const QJsonArray years = epoch["years"].toArray();
  ASSERT_EQ(years.size(), 2);
  EXPECT_EQ(years[0].toObject()["year"].toInt(), 3);
  EXPECT_EQ(years[1].toObject()["map"].toString(), QString("maps/4.png"));
  EXPECT_EQ(years[1].toObject()["data"].toString(), QString("data/4.js"));
  const QJsonObject north3 = years[0].toObject()["players"].toArray()[0].toObject();
  EXPECT_EQ(north3["troops"].toInt(), 1);
  EXPECT_EQ(north3["buildings"].toInt(), 1);
  EXPECT_EQ(north3["total"].toInt(), 2);
  EXPECT_EQ(north3["kinds"].toArray()[7].toInt(), 1);  // the dragon

  const QJsonObject first = Data(dir / "site/data/3.js", "year");
  EXPECT_TRUE(first["diff"].isNull());
  EXPECT_EQ(first["players"].toArray()[0].toObject()["units"].toArray(),
            QJsonArray({Tuple({2, 2, 8}), Tuple({3, 1, 11})}));

  const QJsonObject second = Data(dir / "site/data/4.js", "year");
  EXPECT_EQ(second["players"].toArray()[1].toObject()["name"].toString(), QString("Юг \"<b>\""));
  const QJsonObject diff = second["diff"].toObject();
  EXPECT_EQ(diff["from"].toInt(), 3);
  const QJsonArray changed = diff["players"].toArray();
  ASSERT_EQ(changed.size(), 2);
  const QJsonObject north = changed[0].toObject();
  EXPECT_EQ(north["moved"].toArray(), QJsonArray({Tuple({8, 2, 2, 4, 3})}));
  EXPECT_EQ(north["added"].toArray(), QJsonArray({Tuple({13, 1, 1})}));
  EXPECT_EQ(north["removed"].toArray(), QJsonArray({Tuple({11, 3, 1})}));
  EXPECT_FALSE(north.contains("renamedFrom"));
  const QJsonObject south = changed[1].toObject();
  EXPECT_EQ(south["renamedFrom"].toString(), QString("Юг"));
  EXPECT_TRUE(south["moved"].toArray().isEmpty());
}

TEST_F(Publish, TitleIsTheWorldFolderNameUnlessGiven) {
  ASSERT_EQ(PublishYears("site", "Год3.tvk").status, 0);
  EXPECT_NE(ReadBytes(dir / "site/index.html").find("<title>world"), std::string::npos);
  EXPECT_EQ(Data(dir / "site/data/epoch.js", "epoch")["title"].toString(), QString("world"));
}

TEST_F(Publish, ANewSiteReplacesTheOldWholeAndAFailureLeavesItAsItWas) {
  ASSERT_EQ(PublishYears("site", "Год3.tvk Год4.tvk").status, 0);
  ASSERT_EQ(PublishYears("site/", "Год5.tvk").status, 0);
  EXPECT_FALSE(fs::exists(dir / "site/maps/3.png"));
  EXPECT_FALSE(fs::exists(dir / "site/data/4.js"));
  EXPECT_TRUE(fs::exists(dir / "site/maps/5.png"));
  const auto before = Tree(dir / "site");

  ToolRun run = PublishYears("site", "Год3.tvk missing.tvk");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "missing.tvk: File not found\n");
  dir.Write("Год4-copy.tvk", ReadBytes(dir / "Год4.tvk"));
  run = PublishYears("site", "Год4.tvk Год3.tvk Год4-copy.tvk");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Год4.tvk and Год4-copy.tvk: both are year 4\n");
  // A start-up file gone: the pictures cannot be drawn.
  fs::rename(dir / "world/osnova.bmp", dir / "osnova.bmp");
  run = PublishYears("site", "Год3.tvk");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Cannot open file world/osnova.bmp\n");

  EXPECT_EQ(Tree(dir / "site"), before);
  for (const auto& entry : fs::directory_iterator(dir.path()))
    EXPECT_EQ(entry.path().filename().string().find(".site"), std::string::npos) << "left behind: " << entry.path();
}

TEST_F(Publish, RefusesToReplaceWhatIsNoSite) {
  fs::create_directory(dir / "documents");
  dir.Write("documents/letter.txt", "keep me");
  ToolRun run = PublishYears("documents", "Год3.tvk");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("not a site made by tirmagor-tool publish"), std::string::npos) << run.err;
  EXPECT_EQ(ReadBytes(dir / "documents/letter.txt"), "keep me");
  EXPECT_EQ(fs::directory_iterator(dir / "documents")->path().filename(), "letter.txt");

  dir.Write("file", "a file");
  run = PublishYears("file", "Год3.tvk");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "file: exists and is not a folder\n");
  EXPECT_EQ(ReadBytes(dir / "file"), "a file");

  // An empty folder is a fine place for a new site.
  fs::create_directory(dir / "empty");
  EXPECT_EQ(PublishYears("empty", "Год3.tvk").status, 0);
  EXPECT_TRUE(fs::exists(dir / "empty/maps/3.png"));

  EXPECT_EQ(RunTool("publish --dir world Год3.tvk").status, 2);  // no -o
  EXPECT_EQ(RunTool("publish -o x").status, 2);                  // no turn
}

}  // namespace
