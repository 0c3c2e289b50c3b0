// A GL test fixture: every test gets a fresh headless compatibility context
// of the fixture's size, current on the test's thread, with the game's fixed
// GL state and projection as the window sets them at creation.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "model/records.h"
#include "render/gl_view.h"
#include "render/headless_context.h"
#include "view/table_view.h"
#include "view/view.h"

namespace puzzle::testing {

class HeadlessGlTest : public ::testing::Test {
 protected:
  GameState state;
  GameOptions options;
  ViewSetup view;
  TableView table;
  HeadlessContext context;

  // Opens the context and runs the window's start-up GL set-up for a client
  // of width x height.
  void OpenView(int width, int height,
                HeadlessContext::DepthFormat depth = HeadlessContext::DepthFormat::Bits24) {
    ASSERT_TRUE(context.Open(width, height, depth)) << context.Error();
    view.creationWidth = width;
    view.creationHeight = height;
    SetClientSize(table, width, height);
    InitGL(state, table, options, view);
    ResizeGL(state, table, view);
  }

  // The RGBA pixel at (x, y), y counted from the bottom row.
  static std::array<std::uint8_t, 4> PixelAt(const std::vector<std::uint8_t>& rgba, int width, int x, int y) {
    const std::size_t at =
        (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4;
    return {rgba[at], rgba[at + 1], rgba[at + 2], rgba[at + 3]};
  }
};

}  // namespace puzzle::testing
