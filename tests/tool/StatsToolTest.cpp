// tirmagor-tool stats: counts per kind and group, year by year, in CSV and JSON.

#include "ToolRunner.h"

using test_support::Cp;
using test_support::Lines;

TEST_F(Tool, StatsCountEveryPlayersUnitsYearByYearInCsvAndJson) {
  // Given out of year order; the name with a comma and a quote is quoted in CSV.
  dir.Write("b.tvk", Lines({"", "8", "Player", Cp("Орки, \"злые\""), "0 0", Cp("о 1 1,2 2,"), Cp("Г 3 3,"), "G 4 4,", "END"}));
  dir.Write("a.tvk", Lines({"", "7", "Player", Cp("Орки"), "0 0", Cp("о 1 1,"), "Player", Cp("Эльфы"), "1 1",
                            Cp("э 5 5,"), Cp("З 6 6,"), "END"}));
  ASSERT_EQ(RunTool("stats --csv out.csv --json out.json b.tvk a.tvk"), (ToolRun{0, "", ""}));
  const std::string header = "year,player,name,troops,buildings,mines,total,k1,k2,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,k13,k14,"
                             "k15,k16,k17,k18,k19\n";
  const std::string csv = header +
                          "7,1,Орки,1,0,0,1,0,0,0,1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\n"
                          "7,2,Эльфы,1,1,0,2,0,0,1,0,0,0,0,0,0,0,0,0,1,0,0,0,0,0,0\n"
                          "8,1,\"Орки, \"\"злые\"\"\",2,1,1,4,0,0,0,2,0,0,0,0,0,0,0,1,0,0,0,0,0,1,0\n";
  EXPECT_EQ(test_support::ReadBytes(dir / "out.csv"), csv);
  EXPECT_EQ(test_support::ReadBytes(dir / "out.json"),
            "{\"years\": [{\"year\": 7, \"players\": [{\"player\": 1, \"name\": \"Орки\", \"kinds\": [0, 0, 0, 1, 0, 0, 0, 0, 0, "
            "0, 0, 0, 0, 0, 0, 0, 0, 0, 0], \"troops\": 1, \"buildings\": 0, \"mines\": 0, \"total\": 1}, {\"player\": 2, "
            "\"name\": \"Эльфы\", \"kinds\": [0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0], \"troops\": 1, "
            "\"buildings\": 1, \"mines\": 0, \"total\": 2}]}, {\"year\": 8, \"players\": [{\"player\": 1, \"name\": "
            "\"Орки, \\\"злые\\\"\", \"kinds\": [0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0], \"troops\": 2, "
            "\"buildings\": 1, \"mines\": 1, \"total\": 4}]}]}\n");
  // Without an output file the CSV goes to standard output.
  EXPECT_EQ(RunTool("stats a.tvk b.tvk"), (ToolRun{0, csv, ""}));

  dir.Write("bad.tvk", "legend\r\nyear\r\n");
  EXPECT_EQ(RunTool("stats --csv kept.csv a.tvk bad.tvk"), (ToolRun{1, "", "Invalid numeric input\n"}));
  EXPECT_FALSE(std::filesystem::exists(dir / "kept.csv"));
}
