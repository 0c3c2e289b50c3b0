// The Windows side of storage/atomic_file.h: the same rules on the Win32
// file functions, with every path handed over in UTF-16.
#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>

#include "storage/atomic_file.h"
#include "storage/paths.h"

namespace puzzle {
namespace {

std::wstring Wide(const std::string& path) {
  return FileSystemPath(path).wstring();
}

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { Close(); }
  Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
    }
    return *this;
  }
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  bool Close() {
    const bool closed = !Valid() || CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

// Opens what path leads to (links followed) with the given access, and keeps
// it only if it is a file on a disk: not a folder, a pipe, a console or
// another device. Opening a device by its name is harmless here, as nothing
// is read from it before the check.
Handle OpenRegular(const std::wstring& path, DWORD access) {
  Handle file(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (file.Valid() &&
      (GetFileType(file.Get()) != FILE_TYPE_DISK || !GetFileInformationByHandle(file.Get(), &info) ||
       (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)) {
    file.Close();
  }
  return file;
}

bool Missing(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// The file a link leads to, as a path that names it directly; the path
// itself when it is no link.
std::wstring FinalPath(const std::wstring& path, const Handle& file) {
  std::wstring final(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD length = GetFinalPathNameByHandleW(file.Get(), final.data(), static_cast<DWORD>(final.size()),
                                                   FILE_NAME_NORMALIZED);
    if (length == 0) return path;
    if (length < final.size()) {
      final.resize(length);
      return final;
    }
    final.resize(length);
  }
  return path;
}

bool WriteAll(HANDLE file, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes = bytes.subspan(written);
  }
  return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
  if (path.empty() || path.back() == '/' || path.back() == '\\') return false;
  std::wstring target = Wide(path);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    if (!Missing(GetLastError())) return false;
  } else {
    // A read-only file is refused as Windows refuses it to every program;
    // a link is kept and the file it leads to replaced.
    Handle existing = OpenRegular(target, 0);
    if (!existing.Valid() || (attributes & FILE_ATTRIBUTE_READONLY) != 0) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(existing.Get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0)
      return false;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) target = FinalPath(target, existing);
  }
  const std::wstring::size_type separator = target.find_last_of(L"\\/");
  const std::wstring folder = separator == std::wstring::npos ? L"" : target.substr(0, separator + 1);

  std::wstring temporary;
  Handle file(INVALID_HANDLE_VALUE);
  for (unsigned attempt = 0; attempt < 100 && !file.Valid(); ++attempt) {
    temporary = folder + L".puzzle-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(GetTickCount64() + attempt) + L".tmp";
    file = Handle(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
    if (!file.Valid() && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  if (!file.Valid()) return false;
  bool written = WriteAll(file.Get(), bytes) && FlushFileBuffers(file.Get());
  written = file.Close() && written;
  if (!written ||
      !MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

bool RegularOrAbsent(const std::string& path) {
  const std::wstring name = Wide(path);
  if (GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES) return Missing(GetLastError());
  return OpenRegular(name, 0).Valid();
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, std::uint64_t limit) {
  Handle file = OpenRegular(Wide(path), GENERIC_READ);
  LARGE_INTEGER size{};
  if (!file.Valid() || !GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
      static_cast<std::uint64_t>(size.QuadPart) > limit) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
  std::size_t got = 0;
  while (got < bytes.size()) {
    DWORD n = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - got, 1u << 30));
    if (!ReadFile(file.Get(), bytes.data() + got, chunk, &n, nullptr) || n == 0) break;
    got += n;
  }
  // A file that shrank while read is refused; one that grew is read as it
  // was when measured.
  if (got != bytes.size()) return std::nullopt;
  return bytes;
}

}  // namespace puzzle
