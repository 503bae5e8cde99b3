#include <map>
#include <utility>

#include "ToolRunner.h"
#include "world/TurnFile.h"

using test_support::Cp;
using test_support::Lines;

namespace {

// A map-sized grid as the tool prints it: 76 rows of 110 numbers, zero but for `cells`.
std::string Grid(std::map<std::pair<int, int>, int> cells) {
  std::string json;
  for (int y = 1; y <= world::MapHeight; ++y)
    for (int x = 1; x <= world::MapWidth; ++x)
      json += (x > 1 ? ", " : y > 1 ? "], [" : "[[") + std::to_string(cells[{x, y}]);
  return json + "]]";
}

}  // namespace

TEST_F(Tool, UsageErrorsExitWithTwoAndShowTheCommandAsHelpListsIt) {
  const ToolRun help = RunTool("--help");
  EXPECT_EQ(help.status, 0);
  // A command's line in the help: "  NAME ARGUMENTS", then two blanks or more and its summary.
  auto listed = [&](const std::string& name) {
    const size_t line = help.out.find("\n  " + name + " ");
    if (line == std::string::npos) return "(" + name + " not listed)";
    const size_t from = line + 3;
    return help.out.substr(from, help.out.find("  ", from) - from);
  };
  EXPECT_EQ(listed("render"), "render [--dir DIR] [--palette P.pal] [-o OUT] [--format bmp|png] TURN.tvk...");
  // No command or an unknown one shows the whole help; a check with one unknown file type checks none.
  dir.Write("ok.pal", "1 2 3\r\n");
  EXPECT_EQ(RunTool(""), (ToolRun{2, "", help.out}));
  EXPECT_EQ(RunTool("draw x.tvk"), (ToolRun{2, "", "tirmagor-tool: unknown command \"draw\"\n\n" + help.out}));
  EXPECT_EQ(RunTool("check ok.pal notes.txt"),
            (ToolRun{2, "", "tirmagor-tool check: notes.txt: unknown file type (expected .tvk, .dat or .pal)\n"}));
  // Too few or too many arguments, and arguments that only the command itself finds wrong.
  for (const auto& [name, arguments] : std::initializer_list<std::pair<std::string, std::string>>{
           {"land", ""}, {"turn", "a.tvk b.tvk"}, {"palette", ""}, {"rewrite", "in.tvk"}, {"check", ""},
           {"render", ""}, {"render", "--format gif x.tvk"}, {"render", "--bogus x.tvk"}, {"diff", "a.tvk"},
           {"diff", "a.tvk b.tvk --bogus"}, {"stats", ""}, {"stats", "--csv"}, {"stats", "--bogus a.tvk"},
           {"publish", ""}, {"publish", "x.tvk"}, {"publish", "-o x"}})
    EXPECT_EQ(RunTool(name + " " + arguments), (ToolRun{2, "", "Usage: tirmagor-tool " + listed(name) + "\n"}))
        << name << " " << arguments;
}

TEST_F(Tool, ReadCommandsPrintJsonWithNamesInUtf8AndWhatAFailedReadLeft) {
  // The first name holds what JSON escapes, a comma and a colon of its own, and a backslash last,
  // right before the string's closing quote.
  dir.Write("turn.tvk", Lines({"", "-3", "Player", "a\"b, c: d\x01\ne\\", "0 0", "Player", Cp("Ёж"),
                               "5 12", Cp("К 40 33,"), Cp("д 12 7,13 7,"), "END"}));
  // Land B has neither name nor income and is left out; C's name was read before its income failed.
  dir.Write("orv.dat", Lines({"", "", "2", "", Cp("АБ"), " x", "1:3 1,", "", "", "4:110 76", "",
                              Cp("А"), Cp("Арния"), "12", "B", "", "0", "C", "Cee", "oops"}));
  EXPECT_EQ(RunTool("turn turn.tvk"),
            (ToolRun{0,
                     "{\"year\": -3, \"playerCount\": 2, \"players\": [{\"name\": "
                     "\"a\\\"b, c: d\\u0001\\ne\\\\\", \"num1\": 0, \"num2\": 0, \"units\": []}, {\"name\": "
                     "\"Ёж\", \"num1\": 5, \"num2\": 12, \"units\": [[40, 33, 11], [12, 7, 8], [13, 7, 8]]}]}\n",
                     ""}));
  EXPECT_EQ(RunTool("land orv.dat"),
            (ToolRun{1,
                     "{\"landCount\": 0, \"land\": " + Grid({{{1, 1}, 0xC0}, {{2, 1}, 0xC1}, {{1, 2}, ' '}, {{2, 2}, 'x'}}) +
                         ", \"mine\": " + Grid({{{3, 1}, 1}, {{110, 76}, 4}}) +
                         ", \"lands\": [{\"index\": 67, \"name\": \"Cee\", \"income\": 0}, "
                         "{\"index\": 192, \"name\": \"Арния\", \"income\": 12}], \"error\": \"Invalid numeric input\"}\n",
                     "Invalid numeric input\n"}));

  // The palette shows all 27 colours, those the file did not set at their defaults.
  dir.Write("bad.pal", Lines({"10 20 30", "1 2 x"}));
  EXPECT_EQ(RunTool("palette bad.pal"),
            (ToolRun{1,
                     "{\"palette\": [[10, 20, 30], [128, 0, 255], [255, 128, 64], [128, 128, 128], [255, 0, 0], [0, 192, 255], "
                     "[0, 255, 0], [13, 104, 10], [255, 255, 0], [0, 0, 0], [0, 0, 255], [0, 0, 128], [0, 128, 128], "
                     "[0, 255, 128], [0, 255, 255], [128, 0, 0], [128, 0, 128], [128, 128, 0], [128, 128, 255], [128, 255, 0], "
                     "[128, 255, 128], [128, 255, 255], [255, 0, 128], [255, 128, 128], [255, 128, 255], [255, 255, 128], "
                     "[255, 255, 255]], \"error\": \"Invalid numeric input\"}\n",
                     "Invalid numeric input\n"}));
}

TEST_F(Tool, RewriteSavesAsTheEditorDoes) {
  dir.Write("hand.tvk", Lines({"legend?", "  1203", "x", "Ann", "300 2", Cp("г 1 2,3 4"),
                               "M 5 6,", "END", "", ""}));
  EXPECT_EQ(RunTool("rewrite hand.tvk out.tvk").status, 0);
  EXPECT_EQ(test_support::ReadBytes(dir / "out.tvk"),
            Lines({world::TurnLegendLine(), "1203", "Player", "Ann", "44 2", "M 5 6,",
                   Cp("г 1 2,3 4,"), "END"}));

  EXPECT_EQ(RunTool("rewrite missing.tvk never.tvk"), (ToolRun{1, "", "File not found\n"}));
  EXPECT_FALSE(std::filesystem::exists(dir / "never.tvk"));
}

TEST_F(Tool, CheckPassesCleanFilesAndReportsEachProblemAtItsLine) {
  dir.Write("clean.TVK", Lines({world::TurnLegendLine(), "17", "Player", "Ann", "5 12", "M 5 6,",
                                "END"}));
  dir.Write("good.pal", Lines({"1 2 3", "", "4 5 6"}));
  dir.Write("good.dat",
            Lines({"", "", "1", "", "AB", "1:1 1,", "", "", "", "", "A", "Alpha", "3"}));
  EXPECT_EQ(RunTool("check clean.TVK good.pal good.dat"), (ToolRun{0, "clean.TVK: ok\ngood.pal: ok\ngood.dat: ok\n", ""}));

  dir.Write("broken.tvk", Lines({world::TurnLegendLine(), Cp("17г"), "Player", "A", "0 0",
                                 Cp("д 0 3,"), "END"}));
  dir.Write("orv.dat", Lines({"", "", "1", "", std::string(111, 'A'), "", "", "", ""}));
  dir.Write("b.pal", Lines({"1 2 3", "", "4 5 -6"}));
  EXPECT_EQ(RunTool("check broken.tvk orv.dat b.pal missing.pal clean.TVK good.pal"),
            (ToolRun{1,
                     "broken.tvk:2: invalid number \"17г\"\n"
                     "broken.tvk:6: coordinates outside the map (0, 3)\n"
                     "broken.tvk: 2 problems\n"
                     "orv.dat:5: grid row longer than 110 characters\n"
                     "orv.dat: 1 problem\n"
                     "b.pal:3: colour component outside 0..255\n"
                     "b.pal: 1 problem\n"
                     "missing.pal: File not found\n"
                     "clean.TVK: ok\ngood.pal: ok\n",
                     ""}));
}
