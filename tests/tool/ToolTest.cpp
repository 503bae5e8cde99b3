#include <algorithm>
#include <map>

#include "ToolRunner.h"
#include "world/TurnFile.h"

using testing_files::Cp;
using testing_files::Lines;

namespace {

// Dragons at (12, 7) and (13, 7) and a fortress at (40, 33), in the form the editor writes.
std::string ExampleTurn() {
  return Lines({world::TurnLegendLine, "17", "Player", Cp("Иван"), "5 12", Cp("К 40 33,"),
                Cp("д 12 7,13 7,"), "END"});
}

// A map-sized grid as the tool prints it: 76 rows of 110 numbers, zero but for `cells`.
std::string Grid(std::map<std::pair<int, int>, int> cells) {
  std::string json = "[";
  for (int y = 1; y <= world::MapHeight; ++y) {
    json += y > 1 ? ", [" : "[";
    for (int x = 1; x <= world::MapWidth; ++x)
      json += (x > 1 ? ", " : "") + std::to_string(cells[{x, y}]);
    json += "]";
  }
  return json + "]";
}

}  // namespace

TEST_F(Tool, UsageErrorsExitWithTwo) {
  ToolRun run = RunTool("--help");
  EXPECT_EQ(run.status, 0);
  for (const char* command : {"land FILE", "turn FILE", "palette FILE", "rewrite IN OUT",
                              "check FILE", "render "})
    EXPECT_NE(run.out.find(command), std::string::npos) << command;

  // A check with one unknown file type checks none of them.
  dir.Write("ok.pal", "1 2 3\r\n");
  for (const char* wrong : {"", "draw x.tvk", "turn", "turn a.tvk b.tvk", "rewrite a.tvk", "check",
                            "check ok.pal notes.txt", "render", "render --bogus x.tvk"}) {
    run = RunTool(wrong);
    EXPECT_EQ(run.status, 2) << wrong;
    EXPECT_EQ(run.out, "") << wrong;
  }
}

TEST_F(Tool, ReadCommandsPrintJsonWithNamesInUtf8AndWhatAFailedReadLeft) {
  dir.Write("example.tvk", ExampleTurn());
  dir.Write("names.tvk", Lines({"", "-3", "Player", "a\"b\\c\x01\nd", "0 0", "Player", Cp("Ёж"),
                                "1 1", "END"}));
  // Land B has neither name nor income and is left out; C's name was read before its income failed.
  dir.Write("orv.dat", Lines({"", "", "2", "", Cp("АБ"), " x", "1:3 1,", "", "", "4:110 76", "",
                              Cp("А"), Cp("Арния"), "12", "B", "", "0", "C", "Cee", "oops"}));
  dir.Write("bad.pal", Lines({"10 20 30", "1 2 x"}));
  const std::string noNumber = "Invalid numeric input";
  const struct {
    const char* arguments;
    std::string error;
    std::string json;
  } cases[] = {
      {"turn example.tvk", "",
       "{\"year\": 17, \"playerCount\": 1, \"players\": [{\"name\": \"Иван\", \"num1\": 5, "
       "\"num2\": 12, \"units\": [[40, 33, 11], [12, 7, 8], [13, 7, 8]]}]}"},
      {"turn names.tvk", "",
       "{\"year\": -3, \"playerCount\": 2, \"players\": [{\"name\": "
       "\"a\\\"b\\\\c\\u0001\\u000Ad\", \"num1\": 0, \"num2\": 0, \"units\": []}, "
       "{\"name\": \"Ёж\", \"num1\": 1, \"num2\": 1, \"units\": []}]}"},
      {"land orv.dat", noNumber,
       "{\"landCount\": 0, \"land\": " +
           Grid({{{1, 1}, 0xC0}, {{2, 1}, 0xC1}, {{1, 2}, ' '}, {{2, 2}, 'x'}}) +
           ", \"mine\": " + Grid({{{3, 1}, 1}, {{110, 76}, 4}}) +
           ", \"lands\": [{\"index\": 67, \"name\": \"Cee\", \"income\": 0}, {\"index\": 192, "
           "\"name\": \"Арния\", \"income\": 12}], \"error\": \"Invalid numeric input\"}"},
  };
  for (const auto& c : cases) {
    const ToolRun run = RunTool(c.arguments);
    EXPECT_EQ(run.status, c.error.empty() ? 0 : 1) << c.arguments;
    EXPECT_EQ(run.err, c.error.empty() ? "" : c.error + "\n") << c.arguments;
    EXPECT_EQ(run.out, c.json + "\n");
  }

  // The palette shows all 27 colours, those the file did not set at their defaults.
  const ToolRun run = RunTool("palette bad.pal");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, noNumber + "\n");
  EXPECT_TRUE(run.out.starts_with("{\"palette\": [[10, 20, 30], [128, 0, 255], [255, 128, 64], "))
      << run.out;
  EXPECT_TRUE(run.out.ends_with(", [255, 255, 255]], \"error\": \"Invalid numeric input\"}\n"))
      << run.out;
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '['), 1 + world::MaxPlayers);
}

TEST_F(Tool, RewriteSavesAsTheEditorDoes) {
  dir.Write("hand.tvk", Lines({"legend?", "  1203", "x", "Ann", "300 2", Cp("г 1 2,3 4"),
                               "M 5 6,", "END", "", ""}));
  EXPECT_EQ(RunTool("rewrite hand.tvk out.tvk").status, 0);
  EXPECT_EQ(testing_files::ReadBytes(dir / "out.tvk"),
            Lines({world::TurnLegendLine, "1203", "Player", "Ann", "44 2", "M 5 6,",
                   Cp("г 1 2,3 4,"), "END"}));

  const ToolRun run = RunTool("rewrite missing.tvk never.tvk");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "File not found\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "never.tvk"));
}

TEST_F(Tool, CheckPassesCleanFilesAndFindsEachTurnProblemOnItsLine) {
  dir.Write("clean.TVK", ExampleTurn());
  dir.Write("good.pal", Lines({"1 2 3", "", "4 5 6"}));
  dir.Write("good.dat",
            Lines({"", "", "1", "", "AB", "1:1 1,", "", "", "", "", "A", "Alpha", "3"}));
  ToolRun run = RunTool("check clean.TVK good.pal good.dat");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "clean.TVK: ok\ngood.pal: ok\ngood.dat: ok\n");

  std::string many;
  for (int u = 1; u <= 128; ++u) many += "1 1,";
  dir.Write("broken.tvk",
            Lines({world::TurnLegendLine, "17x", "Plyer",
                   Cp("Имя длиннее шестнадцати"), "5",           // 4, 5
                   Cp("д 1 2, 3 4,"),                            // 6: blank after a comma
                   Cp("д 12,13 5,"),                             // 7: pair without its blank
                   Cp("д 1a 2,"),                                // 8: field with non-digits
                   Cp("С 1 2,"),                                 // 9: no kind letter
                   Cp("д 0 3,111 5,"),                           // 10: two cells off the map
                   "",                                           // 11
                   "Player", "B", "1 300",                       // 12..14
                   Cp("г ") + many,                              // 15
                   "END",                                        // 16
                   "C", "0 0", "Player"}));                      // 17..19
  std::string players = Lines({world::TurnLegendLine, "1"});
  for (int p = 1; p <= 28; ++p) players += Lines({"Player", "P", "0 0"});
  dir.Write("players.tvk", players + Lines({"END"}));
  dir.Write("unix.tvk", "legend\n1\nEND\n");
  run = RunTool("check broken.tvk players.tvk unix.tvk clean.TVK");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "broken.tvk:2: invalid number \"17x\"\n"
            "broken.tvk:3: expected \"Player\" or \"END\"\n"
            "broken.tvk:4: name longer than 16 characters\n"
            "broken.tvk:5: line with fewer than two numbers\n"
            "broken.tvk:6: blank after a comma\n"
            "broken.tvk:7: pair without its blank \"12\"\n"
            "broken.tvk:8: field with non-digits in \"1a 2\"\n"
            "broken.tvk:9: unit line does not begin with a kind letter\n"
            "broken.tvk:10: coordinates outside the map (0, 3)\n"
            "broken.tvk:10: coordinates outside the map (111, 5)\n"
            "broken.tvk:11: empty line in a player block\n"
            "broken.tvk:14: header number outside 0..255\n"
            "broken.tvk:15: more than 127 units for player 2\n"
            "broken.tvk:17: player block after END\n"
            "broken.tvk:19: \"Player\" ends the last block: the file ends without END\n"
            "broken.tvk: 15 problems\n"
            "players.tvk:85: more than 27 players\n"
            "players.tvk: 1 problem\n"
            "unix.tvk:1: LF without CR: lines must end with CR LF, so the line goes on\n"
            "unix.tvk:1: file ends before its third line\n"
            "unix.tvk: 2 problems\n"
            "clean.TVK: ok\n");
}

TEST_F(Tool, CheckFindsLandAndPaletteProblems) {
  dir.Write("orv.dat", Lines({"", "", "2", "", std::string(111, 'A'), "AB",
                              "1:12 5,13 5,", "2:12 5 ,1 2", "3: 4 4", "4:5  6,7 77",
                              "lands", "A", "Alpha", "12 coins", "",
                              std::string(1, '\0'), "Zero", Cp("5монет"),
                              "B", "Beta", "", "7", "", ""}));
  dir.Write("rows.dat", Lines({"", "", "80"}));
  std::string palette;
  for (int n = 1; n <= 28; ++n) palette += Lines({n == 2 ? "1 2" : n == 3 ? "1 256 x" : "1 2 3"});
  dir.Write("a.pal", palette);
  dir.Write("b.pal", Lines({"1 2 3", "", "4 5 -6"}) + " ");
  const ToolRun run = RunTool("check orv.dat rows.dat a.pal b.pal missing.pal");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "orv.dat:5: grid row longer than 110 characters\n"
            "orv.dat:8: blank before a comma\n"
            "orv.dat:9: more than one blank after the label\n"
            "orv.dat:10: more than one blank in a pair\n"
            "orv.dat:10: coordinates outside the map (7, 77)\n"
            "orv.dat:15: empty line where a land block should begin\n"
            "orv.dat:16: land key 0\n"
            "orv.dat:18: invalid number \"5монет\"\n"
            "orv.dat:21: empty income line\n"
            "orv.dat: 9 problems\n"
            "rows.dat:3: row count above 76\n"
            "rows.dat:3: file ends early\n"
            "rows.dat: 2 problems\n"
            "a.pal:2: line with fewer than three numbers\n"
            "a.pal:3: invalid number \"x\"\n"
            "a.pal:28: more than 27 colour lines: the rest set nothing\n"
            "a.pal: 3 problems\n"
            "b.pal:3: colour component outside 0..255\n"
            "b.pal:4: text after the last line end reads as one more colour (black)\n"
            "b.pal: 2 problems\n"
            "missing.pal: File not found\n");
}
