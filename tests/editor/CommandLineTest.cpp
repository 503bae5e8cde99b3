// What the editor opens when it is given a folder or a turn file on its command line.

#include "EditorFixture.h"
#include "editor/CommandLine.h"

namespace editor {
inline void PrintTo(const WorldLocation& w, std::ostream* out) {
  *out << "{" << w.folder << ", " << w.epochDir << ", " << (w.turn ? w.turn->string() : "no turn") << "}";
}
}  // namespace editor

namespace editor::testing {
namespace {

class CommandLineTest : public EditorTest {
 protected:
  // A world elsewhere than the working folder: its files in `world`, some years in `world/years`.
  void SetUp() override {
    EditorTest::SetUp();
    fs::create_directories("world/years");
    for (const char* file : {"orv.dat", "map.bmp", "osnova.bmp", "rudnici.bmp"}) fs::copy_file(file, fs::path("world") / file);
    WriteBytes("world/Год3.tvk", TurnFile(3, 4));
    WriteBytes("world/years/Год9.tvk", TurnFile(9, 6));
    WriteBytes("world/years/Год10.tvk", TurnFile(10, 8));
    fs::create_directories("loose");
    WriteBytes("loose/Год1.tvk", TurnFile(1, 2));
    fs::remove("orv.dat");  // the working folder is no world, and nothing is read from it
  }
  fs::path At(const char* relative) const { return (dir() / relative).lexically_normal(); }
};

TEST_F(CommandLineTest, FolderOrTurnFindsItsWorldAndEpoch) {
  EXPECT_EQ(LocateWorld("world"), (WorldLocation{At("world"), At("world").string() + "/", std::nullopt}));
  EXPECT_EQ(LocateWorld("world/Год3.tvk"), (WorldLocation{At("world"), At("world").string() + "/", At("world/Год3.tvk")}));
  // Years kept in a subfolder: the world is the nearest folder above with the land file.
  EXPECT_EQ(LocateWorld("world/years/Год9.tvk"),
            (WorldLocation{At("world"), At("world/years").string() + "/", At("world/years/Год9.tvk")}));
  // No world above the turn: its own folder, where start-up then reports what is missing.
  EXPECT_EQ(LocateWorld("loose/Год1.tvk"), (WorldLocation{At("loose"), At("loose").string() + "/", At("loose/Год1.tvk")}));
  EXPECT_EQ(LocateWorld("nowhere/Год1.tvk"), std::nullopt);
}

TEST_F(CommandLineTest, OptionsAndMistakesOnTheCommandLine) {
  EXPECT_EQ(ParseCommandLine({}).world, std::nullopt);
  EXPECT_EQ(ParseCommandLine({}).error, "");
  EXPECT_EQ(ParseCommandLine({"--help"}).action, CommandLine::Action::Help);
  EXPECT_EQ(ParseCommandLine({"world", "--version"}).action, CommandLine::Action::Version);
  EXPECT_NE(HelpText().find("tirmagor-editor [ПАПКА | ХОД.tvk]"), std::string::npos);
  EXPECT_EQ(VersionText().rfind("tirmagor-editor ", 0), 0u);

  const CommandLine unknown = ParseCommandLine({"--frobnicate", "world"});
  EXPECT_EQ(std::pair(unknown.world, unknown.action), std::pair(std::optional<WorldLocation>(), CommandLine::Action::Start));
  EXPECT_EQ(unknown.error, "Неизвестный параметр «--frobnicate». tirmagor-editor --help");
  const CommandLine missing = ParseCommandLine({"nowhere"});
  EXPECT_EQ(std::pair(missing.world, missing.error),
            std::pair(std::optional<WorldLocation>(), std::string("Нет такого файла или папки: nowhere")));
  EXPECT_NE(ParseCommandLine({"world", "loose"}).error, "");
  // The desktop menu asks for a world; the file manager gives one, and then nothing is asked.
  EXPECT_TRUE(ParseCommandLine({"--choose-world"}).chooseWorld);
  const CommandLine fromFileManager = ParseCommandLine({"--choose-world", "world/Год3.tvk"});
  EXPECT_FALSE(fromFileManager.chooseWorld);
  EXPECT_EQ(fromFileManager.world->turn, At("world/Год3.tvk"));
  // After "--" a name that starts with a dash is a name.
  WriteBytes("-odd.tvk", TurnFile(2, 2));
  EXPECT_EQ(ParseCommandLine({"--", "-odd.tvk"}).world->turn, At("-odd.tvk"));
}

TEST_F(CommandLineTest, EditorOpensTheTurnWithItsYearAndLooksForYearsBesideIt) {
  const std::optional<WorldLocation> world = LocateWorld("world/years/Год9.tvk");
  editor.StartupDir = world->folder;
  ui.Run([&] { editor.FormCreate(); });
  ui.Run([&] { editor.OpenWorld(*world); });
  EXPECT_EQ(ui.errors, std::vector<std::string>{});
  EXPECT_EQ(editor.LandCount, 255);
  // The turn is loaded and its year shown, without the field loading any other year's file.
  EXPECT_EQ(std::tuple(editor.PlayerCount, ui.playersField, ui.yearField), std::tuple(uint8_t(6), std::string("6"), 9));
  EXPECT_EQ(editor.EpochDir, At("world/years").string() + "/");
  ui.TypeYear(10);
  EXPECT_EQ(editor.PlayerCount, 8) << "year 10 from the turn's folder";
}

}  // namespace
}  // namespace editor::testing
