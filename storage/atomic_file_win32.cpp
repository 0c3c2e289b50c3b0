// The Windows side of storage/atomic_file.h: the same rules on the Win32
// file functions, with every path handed over in UTF-16.
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <string_view>
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

// A save writes a temporary file beside its target, named after it:
// "." + name + ".puzzle-" + six characters, as on every system.
constexpr std::wstring_view TEMPORARY_MARK = L".puzzle-";
constexpr std::size_t TEMPORARY_RANDOM = 6;
constexpr std::size_t TEMPORARY_NAME_KEPT = 200;

bool IsTemporaryName(std::wstring_view name) {
  const std::size_t tail = TEMPORARY_MARK.size() + TEMPORARY_RANDOM;
  return name.size() >= tail && name.front() == L'.' &&
         name.substr(name.size() - tail, TEMPORARY_MARK.size()) == TEMPORARY_MARK;
}

std::uint64_t FileTimeOf(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// A save holds its temporary file open without sharing its deletion from
// creation to rename, so a delete fails on one in use; one that nobody holds
// was left by a save that was killed. Links and folders are left alone, and
// with a prefix only the temporaries of one target are taken.
void RemoveUnheldTemporaries(const std::wstring& folder, const std::wstring& prefix,
                             std::chrono::seconds minAge) {
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((folder + L".*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  FILETIME nowTime{};
  GetSystemTimeAsFileTime(&nowTime);
  // File times count 100-nanosecond steps.
  const std::uint64_t newest = FileTimeOf(nowTime) - static_cast<std::uint64_t>(minAge.count()) * 10'000'000u;
  do {
    const std::wstring_view name = found.cFileName;
    if (!IsTemporaryName(name) || name.substr(0, prefix.size()) != prefix) continue;
    if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) continue;
    if (FileTimeOf(found.ftLastWriteTime) > newest) continue;
    DeleteFileW((folder + std::wstring(name)).c_str());
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

std::wstring FolderOf(const std::wstring& path) {
  const std::wstring::size_type separator = path.find_last_of(L"\\/");
  return separator == std::wstring::npos ? L"" : path.substr(0, separator + 1);
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes, Links links) {
  if (path.empty() || path.back() == '/' || path.back() == '\\') return false;
  std::wstring target = Wide(path);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    if (!Missing(GetLastError())) return false;
  } else {
    // A read-only file is refused as Windows refuses it to every program;
    // a link is kept and the file it leads to replaced.
    // With links refused, only a file that is no link is replaced.
    if (links == Links::Refuse && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return false;
    Handle existing = OpenRegular(target, 0);
    if (!existing.Valid() || (attributes & FILE_ATTRIBUTE_READONLY) != 0) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(existing.Get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0)
      return false;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) target = FinalPath(target, existing);
  }
  const std::wstring folder = FolderOf(target);
  const std::wstring prefix =
      L"." + target.substr(folder.size()).substr(0, TEMPORARY_NAME_KEPT) + std::wstring(TEMPORARY_MARK);
  RemoveUnheldTemporaries(folder, prefix, std::chrono::seconds(0));

  std::wstring temporary;
  Handle file(INVALID_HANDLE_VALUE);
  for (unsigned attempt = 0; attempt < 100 && !file.Valid(); ++attempt) {
    const std::uint64_t mix = (GetTickCount64() + attempt) * 2654435761u ^ GetCurrentProcessId();
    std::wstring random(TEMPORARY_RANDOM, L'0');
    for (std::size_t i = 0; i < TEMPORARY_RANDOM; ++i)
      random[i] = L"0123456789abcdefghijklmnopqrstuvwxyz"[(mix >> (6 * i)) % 36];
    temporary = folder + prefix + random;
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

namespace {

// Reads the opened file of the given size; nothing when it shrinks while
// read (one that grew is read as it was when measured).
std::optional<std::vector<std::uint8_t>> ReadOpened(const Handle& file, std::uint64_t size) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  std::size_t got = 0;
  while (got < bytes.size()) {
    DWORD n = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - got, 1u << 30));
    if (!ReadFile(file.Get(), bytes.data() + got, chunk, &n, nullptr) || n == 0) break;
    got += n;
  }
  if (got != bytes.size()) return std::nullopt;
  return bytes;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, std::uint64_t limit) {
  Handle file = OpenRegular(Wide(path), GENERIC_READ);
  LARGE_INTEGER size{};
  if (!file.Valid() || !GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
      static_cast<std::uint64_t>(size.QuadPart) > limit) {
    return std::nullopt;
  }
  return ReadOpened(file, static_cast<std::uint64_t>(size.QuadPart));
}

void RemoveStaleTemporaries(const std::string& folder, std::chrono::seconds minAge) {
  std::wstring name = Wide(folder);
  if (!name.empty() && name.back() != L'\\' && name.back() != L'/') name += L'\\';
  RemoveUnheldTemporaries(name, L"", minAge);
}

bool OwnRegularFile(const std::string& path) {
  const std::wstring name = Wide(path);
  const DWORD attributes = GetFileAttributesW(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
         OpenRegular(name, 0).Valid();
}

std::optional<std::vector<std::uint8_t>> ReadOwnFile(const std::string& path, std::uint64_t limit,
                                                     int& error) {
  const std::wstring name = Wide(path);
  const DWORD attributes = GetFileAttributesW(name.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    error = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : ENOENT;
    return std::nullopt;
  }
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    error = ELOOP;
    return std::nullopt;
  }
  Handle file = OpenRegular(name, GENERIC_READ);
  if (!file.Valid()) {
    error = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EINVAL;
    return std::nullopt;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0) {
    error = EIO;
    return std::nullopt;
  }
  if (static_cast<std::uint64_t>(size.QuadPart) > limit) {
    error = EFBIG;
    return std::nullopt;
  }
  auto bytes = ReadOpened(file, static_cast<std::uint64_t>(size.QuadPart));
  if (!bytes) error = EIO;
  return bytes;
}

}  // namespace puzzle
