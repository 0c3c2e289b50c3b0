#include "storage/paths.h"

#include <filesystem>
#include <system_error>

namespace puzzle {
namespace {

std::string_view::size_type LastSeparator(std::string_view path) {
#ifdef _WIN32
  return path.find_last_of("\\/");
#else
  return path.rfind('/');
#endif
}

}  // namespace

void RememberDirectory(std::string_view path, std::string& destination) {
  const auto separator = LastSeparator(path);
  if (separator == std::string_view::npos) return;
  destination.assign(path.substr(0, separator == 0 ? 1 : separator));
}

bool PathExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::path(path), error);
}

void RememberFileTitle(std::string_view path, std::string& fileTitle) {
  const auto separator = LastSeparator(path);
  fileTitle.assign(separator == std::string_view::npos ? path : path.substr(separator + 1));
}

std::string PictureBesideGameFile(std::string_view gameFilePath, std::string_view picturePath) {
  const auto nameStart = picturePath.find_last_of("\\/");
  const std::string_view name =
      nameStart == std::string_view::npos ? picturePath : picturePath.substr(nameStart + 1);
  const auto separator = LastSeparator(gameFilePath);
  if (separator == std::string_view::npos) return std::string(name);
  return std::string(gameFilePath.substr(0, separator + 1)) + std::string(name);
}

}  // namespace puzzle
