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

std::string ExecLine(const std::string& entry) {
  const auto start = entry.find("\nExec=");
  if (start == std::string::npos) return {};
  return entry.substr(start + 1, entry.find('\n', start + 1) - start - 1);
}

TEST(FileAssociation, ExecPassesTheGameFileAfterTheQuotedProgram) {
  EXPECT_EQ(ExecLine(DesktopEntryText("/usr/games/puzzle")), R"(Exec="/usr/games/puzzle" %f)");
  // Blanks stay inside the quotes; reserved characters are escaped, a
  // backslash twice over (once for the argument, once for the value).
  EXPECT_EQ(ExecLine(DesktopEntryText("/opt/my games/puzzle")), R"(Exec="/opt/my games/puzzle" %f)");
  EXPECT_EQ(ExecLine(DesktopEntryText("/opt/$HOME/a\"b`c\\d%e/puzzle")),
            R"(Exec="/opt/\$HOME/a\"b\`c\\\\d%%e/puzzle" %f)");
}

TEST(FileAssociation, PlacesThePackageEntryAndIconsOnce) {
  testing::TempFolder folder;
  const AssociationTarget target{"/opt/my games/puzzle", folder.Path().string(), false};
  EXPECT_EQ(WriteFileAssociation(target), 4);

  const std::string package = ReadText(folder.Path() / "mime/packages/quorvane-tessarine.xml");
  EXPECT_NE(package.find(R"(<mime-type type="application/x-tessarine">)"), std::string::npos);
  EXPECT_NE(package.find("<comment>Tessarine Files</comment>"), std::string::npos);
  EXPECT_NE(package.find(R"(<glob pattern="*.pzz"/>)"), std::string::npos);

  const std::string entry = ReadText(folder.Path() / "applications/quorvane-puzzle.desktop");
  EXPECT_EQ(ExecLine(entry), R"(Exec="/opt/my games/puzzle" %f)");
  EXPECT_NE(entry.find("MimeType=application/x-tessarine;"), std::string::npos);

  const std::string icon =
      ReadText(folder.Path() / "icons/hicolor/48x48/mimetypes/application-x-tessarine.png");
  const auto expected = resources::GameFileIconPng();
  ASSERT_EQ(icon.size(), expected.size());
  EXPECT_TRUE(std::equal(icon.begin(), icon.end(), expected.begin(),
                         [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; }));
  EXPECT_EQ(icon.substr(1, 3), "PNG");

  // Unchanged files are left alone; a moved program rewrites the entry.
  const auto packageTime =
      std::filesystem::last_write_time(folder.Path() / "mime/packages/quorvane-tessarine.xml");
  EXPECT_EQ(WriteFileAssociation({"/usr/bin/puzzle", folder.Path().string(), false}), 4);
  EXPECT_EQ(std::filesystem::last_write_time(folder.Path() / "mime/packages/quorvane-tessarine.xml"),
            packageTime);
  EXPECT_EQ(ExecLine(ReadText(folder.Path() / "applications/quorvane-puzzle.desktop")),
            R"(Exec="/usr/bin/puzzle" %f)");
}

TEST(FileAssociation, FilesThatCannotBeWrittenAreSkipped) {
  testing::TempFolder folder;
  // "applications" is taken by a file, so only the entry fails.
  std::ofstream(folder.File("applications")) << "not a folder";
  EXPECT_EQ(WriteFileAssociation({"/usr/bin/puzzle", folder.Path().string(), false}), 3);
  EXPECT_TRUE(std::filesystem::exists(folder.Path() / "mime/packages/quorvane-tessarine.xml"));
  // A program path that would break the entry is not written either.
  testing::TempFolder other;
  EXPECT_EQ(WriteFileAssociation({"/usr/bin/pu\nzzle", other.Path().string(), false}), 3);
  EXPECT_EQ(WriteFileAssociation({"/usr/bin/puzzle", "", false}), 0);
}

TEST(FileAssociation, TheDesktopLearnsTheTypeAndAcceptsTheEntry) {
  testing::TempFolder folder;
  EXPECT_EQ(WriteFileAssociation({"/opt/my games/puzzle", folder.Path().string(), true}), 4);
  EXPECT_NE(ReadText(folder.Path() / "mime/globs2").find("application/x-tessarine:*.pzz"), std::string::npos);
  const std::string entry = (folder.Path() / "applications/quorvane-puzzle.desktop").string();
  EXPECT_EQ(std::system(("desktop-file-validate '" + entry + "' >/dev/null").c_str()), 0);
}

}  // namespace
}  // namespace puzzle
