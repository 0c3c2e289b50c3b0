// A folder of its own for each test that writes files, removed afterwards.
#pragma once

#include <filesystem>
#include <random>
#include <string>

#include "storage/paths.h"

namespace puzzle::testing {

class TempFolder {
 public:
  TempFolder() {
    std::random_device seed;
    path_ = std::filesystem::temp_directory_path() / ("puzzle-test-" + std::to_string(seed()));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The path of name (UTF-8) in the folder, as UTF-8.
  std::string File(const std::string& name) const { return Utf8Path(path_ / FileSystemPath(name)); }

 private:
  std::filesystem::path path_;
};

}  // namespace puzzle::testing
