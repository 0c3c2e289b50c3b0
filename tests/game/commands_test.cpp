#include "game/commands.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>
#include <vector>

#include "game/menus.h"
#include "support/scripted_platform.h"

namespace puzzle {
namespace {

TEST(CommandLineTest, OnlyAQuotedLowerCaseGameFileIsTaken) {
  EXPECT_EQ(CommandLineGamePath(R"("D:\games\a.pzz")"), R"(D:\games\a.pzz)");
  EXPECT_EQ(CommandLineGamePath(R"(puzzle "/home/me/My Games/b.PZZ")"), "/home/me/My Games/b.PZZ");
  for (const char* line :
       {R"("D:\games\a.Pzz")", R"(D:\games\a.pzz)", R"("/tmp/picture.png")", "pzz\"", ""}) {
    EXPECT_FALSE(CommandLineGamePath(line)) << line;
  }
}

TEST(NumberOfPiecesTest, BelowTwoOrNotANumberIsRefusedElseWaitsForTheNextStart) {
  for (const char* entry : {"1", "-5", "abc", ""}) {
    testing::ScriptedPlatform platform;
    GameOptions options;
    options.pendingColumns = 7;
    EXPECT_FALSE(TakeNumberOfPieces(options, platform, entry)) << entry;
    EXPECT_EQ(std::pair(options.columns, options.pendingColumns), std::pair(12u, 0u));
    ASSERT_EQ(platform.shown.size(), 1u);
    EXPECT_EQ(std::tie(platform.shown[0].text, platform.shown[0].caption),
              std::tuple("Number of puzzles in horizontal edge must be more than one.", "Error"));
  }
  testing::ScriptedPlatform platform;
  GameOptions options;
  EXPECT_TRUE(TakeNumberOfPieces(options, platform, "  +15 pieces\n3"));
  EXPECT_EQ(std::pair(options.pendingColumns, options.columns), std::pair(15u, 12u));
  EXPECT_TRUE(TakeNumberOfPieces(options, platform, "99999999999999"));
  EXPECT_EQ(options.pendingColumns, 2147483647u);
  EXPECT_TRUE(platform.shown.empty());
}

// Where a thumb position is a screen pixel the wheel scrolls as forty
// arrow-key presses a notch, the way the keys go; what lies beyond the
// scroll room is UpdateScrollBars' to clamp.
TEST(WheelTest, ANotchScrollsAsFortyArrowPressesInTheKeysDirections) {
  struct Case {
    const char* name;
    int deltaX, deltaY;
    bool shift;
    ScrollKey key;
    int presses;
  };
  const Case cases[] = {
      {"away", 0, 120, false, ScrollKey::Up, 40},
      {"towards, two notches", 0, -240, false, ScrollKey::Down, 80},
      {"shift away", 0, 120, true, ScrollKey::Left, 40},
      {"shift towards", 0, -120, true, ScrollKey::Right, 40},
      {"tilted left", 120, 0, false, ScrollKey::Left, 40},
      {"half a notch", 0, 60, false, ScrollKey::Up, 20},
  };
  const GameState none;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TableView wheeled;
    ApplyWheel(wheeled, none, c.deltaX, c.deltaY, c.shift);
    TableView keyed;
    for (int i = 0; i < c.presses; ++i) ApplyScrollKey(keyed, none, c.key, false);
    EXPECT_EQ(std::pair(wheeled.scrollX, wheeled.scrollY), std::pair(keyed.scrollX, keyed.scrollY));
    EXPECT_NE(wheeled.scrollX + wheeled.scrollY, 0);
  }

  GameOptions options;
  options.gameRotate = true;
  // Small deltas turn once they make a whole notch; two notches turn twice.
  int pending = 0;
  for (int delta : {-40, -40, 30}) {
    pending += delta;
    EXPECT_FALSE(TakeWheelTurn(options, pending));
  }
  pending -= 70;
  EXPECT_EQ(std::tuple(TakeWheelTurn(options, pending), pending), std::tuple(46, 0));
  pending += 240;
  EXPECT_EQ(TakeWheelTurn(options, pending), 45);
  EXPECT_EQ(TakeWheelTurn(options, pending), 45);
  EXPECT_FALSE(TakeWheelTurn(options, pending));
  options.gameRotate = false;
  pending = 200;
  EXPECT_EQ(std::tuple(TakeWheelTurn(options, pending), pending), std::tuple(std::nullopt, 0));
}

TEST(ManualPageTest, WithoutABrowserThePlayerLearnsWhereTheManualLies) {
  const struct {
    bool opens, russian;
    const char* text;  // empty when the browser shows the page
  } cases[] = {
      {true, false, ""},
      {false, false, "Cannot open the manual in a browser.\nYou will find it here:\n/doc/manual.htm"},
      {false, true, "Не удалось открыть руководство в браузере.\nОно находится здесь:\n/doc/manual.htm"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    testing::ScriptedPlatform platform;
    platform.pagesOpen = c.opens;
    OpenManualPage(platform, c.russian, "/doc/manual.htm");
    EXPECT_EQ(platform.openedPages, std::vector<std::string>{"/doc/manual.htm"});
    if (c.opens) {
      EXPECT_TRUE(platform.shown.empty());
      continue;
    }
    ASSERT_EQ(platform.shown.size(), 1u);
    EXPECT_EQ(std::tie(platform.shown[0].text, platform.shown[0].caption),
              std::tuple(c.text, c.russian ? "Помощь On-Line" : "Help On-Line"));
  }
}

// Both shells build their bars from this one description: an id or a key
// given to two items would reach only one of them, and an empty text leaves
// an item nobody can read.
TEST(MainMenuTest, EveryItemHasItsOwnIdAndKeysAndTextsInBothLanguages) {
  std::set<int> ids;
  std::set<std::tuple<bool, bool, char, int>> keys;
  std::vector<const MainMenuItem*> pending;
  for (const MainMenuItem& item : MainMenu()) pending.push_back(&item);
  while (!pending.empty()) {
    const MainMenuItem& item = *pending.back();
    pending.pop_back();
    if (item.kind == MainMenuItemKind::Separator) continue;
    EXPECT_TRUE(*item.text.en != '\0' && *item.text.ru != '\0') << item.commandId;
    for (const MainMenuItem& child : item.items) pending.push_back(&child);
    if (item.kind != MainMenuItemKind::Command) continue;
    EXPECT_TRUE(ids.insert(item.commandId).second) << item.commandId;
    for (const MenuShortcut& key : item.shortcuts)
      EXPECT_TRUE(keys.insert({key.ctrl, key.shift, key.letter, key.functionKey}).second) << item.commandId;
  }
  EXPECT_EQ(ids.size(), 19u);
}

}  // namespace
}  // namespace puzzle
