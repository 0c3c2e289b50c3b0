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

std::filesystem::path FileSystemPath(std::string_view utf8) {
  return std::filesystem::path(
      std::u8string_view(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string Utf8Path(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

bool PathExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(FileSystemPath(path), error);
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
