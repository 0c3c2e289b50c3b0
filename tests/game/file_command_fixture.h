// Shared by the tests of the file commands and of the recovery copy: the
// records a file command touches, on an 800 x 600 table, with a fake platform
// and graphics port, and a folder of the test's own for the files.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "game/file_commands.h"
#include "support/fake_graphics_port.h"
#include "support/scripted_platform.h"
#include "support/temp_folder.h"

namespace puzzle::testing {

struct FileCommandFixture : ::testing::Test {
  FileCommandFixture() {
    table.clientWidth = 800;
    table.clientHeight = 600;
    state.maxTextureSize = 4096;
    options.columns = 4;
  }
  FileCommandRecords Records() { return {state, options, history, table, bars, shell, edges, title, 50.0f}; }

  TempFolder folder;
  GameState state;
  TableView table;
  GameOptions options;
  History history;
  ScrollBars bars;
  ShellInput shell;
  EdgeScrollFlags edges;
  std::string title;
  ScriptedPlatform platform;
  FakeGraphicsPort graphics;
};

}  // namespace puzzle::testing
