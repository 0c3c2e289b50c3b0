#include "storage/file_association.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "resources/embedded.h"
#include "support/temp_folder.h"

namespace puzzle {
namespace {

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The Exec line of a desktop entry.
std::string ExecLine(const std::string& entry) {
  const auto start = entry.find("\nExec=") + 1;
  return entry.substr(start, entry.find('\n', start) - start);
}

// Exec passes the game file after the quoted program. Reserved characters
// are escaped, a backslash twice over (once for the argument, once for the
// value), and a percent sign is doubled.
TEST(FileAssociation, PlacesThePackageEntryAndIconsOnceAndTheDesktopLearnsThem) {
  EXPECT_EQ(ExecLine(DesktopEntryText("/opt/$HOME/a\"b`c\\d%e/puzzle")),
            R"(Exec="/opt/\$HOME/a\"b\`c\\\\d%%e/puzzle" %f)");
  testing::TempFolder folder;
  const auto package = folder.Path() / "mime/packages/quorvane-tessarine.xml";
  const auto entry = folder.Path() / "applications/quorvane-puzzle.desktop";
  EXPECT_EQ(WriteFileAssociation({"/opt/my games/puzzle", folder.Path().string(), true}), 4);
  EXPECT_EQ(ExecLine(ReadText(entry)), R"(Exec="/opt/my games/puzzle" %f)");
  EXPECT_NE(ReadText(package).find("<comment>Tessarine Files</comment>"), std::string::npos);
  EXPECT_NE(ReadText(entry).find("MimeType=application/x-tessarine;"), std::string::npos);
  const auto icon = resources::GameFileIconPng();
  EXPECT_EQ(ReadText(folder.Path() / "icons/hicolor/48x48/mimetypes/application-x-tessarine.png"),
            std::string(icon.begin(), icon.end()));
  EXPECT_EQ(std::string(icon.begin() + 1, icon.begin() + 4), "PNG");

  // Unchanged files are left alone; a moved program rewrites the entry.
  const auto packageTime = std::filesystem::last_write_time(package);
  EXPECT_EQ(WriteFileAssociation({"/usr/bin/puzzle", folder.Path().string(), false}), 4);
  EXPECT_EQ(std::filesystem::last_write_time(package), packageTime);
  EXPECT_EQ(ExecLine(ReadText(entry)), R"(Exec="/usr/bin/puzzle" %f)");
  EXPECT_NE(ReadText(folder.Path() / "mime/globs2").find("application/x-tessarine:*.pzz"), std::string::npos);
  EXPECT_EQ(std::system(("desktop-file-validate '" + entry.string() + "' >/dev/null").c_str()), 0);
}

TEST(FileAssociation, FilesThatCannotBeWrittenAreSkipped) {
  testing::TempFolder folder;
  // "applications" is taken by a file, so only the entry fails.
  std::ofstream(folder.File("applications")) << "not a folder";
  EXPECT_EQ(WriteFileAssociation({"/usr/bin/puzzle", folder.Path().string(), false}), 3);
  // A program path that would break the entry is not written either.
  testing::TempFolder other;
  EXPECT_EQ(WriteFileAssociation({"/usr/bin/pu\nzzle", other.Path().string(), false}), 3);
  EXPECT_EQ(WriteFileAssociation({"/usr/bin/puzzle", "", false}), 0);
}

}  // namespace
}  // namespace puzzle
