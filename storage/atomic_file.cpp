#include "storage/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "storage/paths.h"

namespace puzzle {
namespace {

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}

// Whether a user without special rights could open the file for writing:
// the write bit of the class the user falls in. Judged from the bits rather
// than by asking the system, which lets the administrator write anything.
bool WritableByItsBits(const struct stat& status) {
  if (status.st_uid == ::geteuid()) return (status.st_mode & S_IWUSR) != 0;
  if (status.st_gid == ::getegid()) return (status.st_mode & S_IWGRP) != 0;
  return (status.st_mode & S_IWOTH) != 0;
}

void FlushFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// A save writes a temporary file beside its target, named after it:
// "." + name + ".puzzle-" + six characters of mkstemp. Saves before this
// naming left ".puzzle-" + six characters.
constexpr std::string_view TEMPORARY_MARK = ".puzzle-";
constexpr std::size_t TEMPORARY_RANDOM = 6;
// Names are cut so that the temporary's name stays within the 255 bytes a
// folder entry may have.
constexpr std::size_t TEMPORARY_NAME_KEPT = 200;

std::string TemporaryPrefix(const std::string& name) {
  return "." + name.substr(0, TEMPORARY_NAME_KEPT) + std::string(TEMPORARY_MARK);
}

bool IsTemporaryName(std::string_view name) {
  const std::size_t tail = TEMPORARY_MARK.size() + TEMPORARY_RANDOM;
  return name.size() >= tail && name.front() == '.' &&
         name.substr(name.size() - tail, TEMPORARY_MARK.size()) == TEMPORARY_MARK;
}

std::string InFolder(const std::string& folder, std::string_view name) {
  return folder + (folder.back() == '/' ? "" : "/") + std::string(name);
}

// A save holds its temporary file locked from creation to rename; one that
// nobody holds was left by a save that was killed. Only regular files of the
// user's own, last written at least minAge ago, are taken; with a prefix,
// only the temporaries of one target.
void RemoveUnheldTemporaries(const std::string& folder, const std::string& prefix,
                             std::chrono::seconds minAge) {
  DIR* entries = ::opendir(folder.c_str());
  if (entries == nullptr) return;
  const auto newest = std::chrono::system_clock::now() - minAge;
  while (const dirent* entry = ::readdir(entries)) {
    const std::string_view name = entry->d_name;
    if (!IsTemporaryName(name) || name.substr(0, prefix.size()) != prefix) continue;
    const std::string path = InFolder(folder, name);
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == ::geteuid() &&
        std::chrono::system_clock::from_time_t(status.st_mtime) <= newest &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      ::unlink(path.c_str());
    }
    ::close(fd);
  }
  ::closedir(entries);
}

struct Temporary {
  std::string path;
  int fd = -1;
};

// A new temporary file for a save, held locked. A tidy-up may take a file
// between its creation and the lock; then another is made.
std::optional<Temporary> CreateTemporary(const std::string& folder, const std::string& prefix) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::string path = InFolder(folder, prefix + std::string(TEMPORARY_RANDOM, 'X'));
    const int fd = ::mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat status {};
    if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &status) == 0 && status.st_nlink > 0)
      return Temporary{std::move(path), fd};
    ::close(fd);
  }
  return std::nullopt;
}

// Reads the file open at fd, whose status is given: nothing when it is not
// a regular file or holds more than limit bytes (errno then says which) or
// shrinks while read.
std::optional<std::vector<std::uint8_t>> ReadOpened(int fd, const struct stat& status, std::uint64_t limit) {
  if (!S_ISREG(status.st_mode) || status.st_size < 0) {
    errno = EINVAL;
    return std::nullopt;
  }
  if (static_cast<std::uint64_t>(status.st_size) > limit) {
    errno = EFBIG;
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(status.st_size));
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  // A file that shrank while read is refused; one that grew is read as it
  // was when measured.
  if (got != bytes.size()) {
    errno = EIO;
    return std::nullopt;
  }
  return bytes;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes, Links links) {
  if (path.empty() || path.back() == '/') return false;
  // With links followed, a symbolic link stays: the file it leads to is the
  // one replaced, in its own folder. An existing file must be a regular one
  // the user may write, and keeps its permission bits and, where allowed, its
  // owner. With links refused, only a regular file of the user's own is
  // replaced.
  std::string target = path;
  struct stat existing {};
  const bool exists =
      (links == Links::Follow ? ::stat(path.c_str(), &existing) : ::lstat(path.c_str(), &existing)) == 0;
  if (exists) {
    if (!S_ISREG(existing.st_mode) || !WritableByItsBits(existing)) return false;
    if (links == Links::Refuse && existing.st_uid != ::geteuid()) return false;
    if (links == Links::Follow) {
      char* resolved = ::realpath(path.c_str(), nullptr);
      if (resolved == nullptr) return false;
      target = resolved;
      std::free(resolved);
    }
  } else if (errno != ENOENT) {
    return false;
  }
  std::string folder = ".";
  RememberDirectory(target, folder);
  std::string name;
  RememberFileTitle(target, name);
  const std::string prefix = TemporaryPrefix(name);
  RemoveUnheldTemporaries(folder, prefix, std::chrono::seconds(0));
  const auto temporary = CreateTemporary(folder, prefix);
  if (!temporary) return false;
  const mode_t mode = exists ? static_cast<mode_t>(existing.st_mode & 07777) : NewFileMode();
  if (exists) {
    // Only the administrator may give a file away; for anyone else the
    // owner is the user already.
    [[maybe_unused]] const int ignored = ::fchown(temporary->fd, existing.st_uid, existing.st_gid);
  }
  bool written = WriteAll(temporary->fd, bytes.data(), bytes.size()) && ::fchmod(temporary->fd, mode) == 0 &&
                 ::fsync(temporary->fd) == 0;
  written = written && std::rename(temporary->path.c_str(), target.c_str()) == 0;
  if (!written) std::remove(temporary->path.c_str());
  // The hold ends only after the rename, so that no tidy-up takes the file
  // from under it; its data is on the disk already.
  ::close(temporary->fd);
  if (!written) return false;
  FlushFolder(folder);
  return true;
}

void RemoveStaleTemporaries(const std::string& folder, std::chrono::seconds minAge) {
  RemoveUnheldTemporaries(folder, "", minAge);
}

bool OwnRegularFile(const std::string& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == ::geteuid();
}

bool RegularOrAbsent(const std::string& path) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0) return errno == ENOENT;
  if (S_ISREG(status.st_mode)) return true;
  if (!S_ISLNK(status.st_mode) || ::stat(path.c_str(), &status) != 0) return false;
  return S_ISREG(status.st_mode) && status.st_uid == ::geteuid();
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, std::uint64_t limit) {
  // Anything but a regular file is refused before it is opened, since
  // opening a device can act on it; the open does not wait, in case a FIFO
  // took the file's place since, and the checks are made again on what was
  // opened.
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::optional<std::vector<std::uint8_t>> result;
  if (::fstat(fd, &status) == 0) result = ReadOpened(fd, status, limit);
  ::close(fd);
  return result;
}

std::optional<std::vector<std::uint8_t>> ReadOwnFile(const std::string& path, std::uint64_t limit,
                                                     int& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = errno;
    return std::nullopt;
  }
  std::optional<std::vector<std::uint8_t>> result;
  struct stat status {};
  if (::fstat(fd, &status) != 0) {
    error = errno;
  } else if (status.st_uid != ::geteuid() || (status.st_mode & S_IRUSR) == 0) {
    // Judged from the bits, as for writing: the administrator is refused
    // what the user would be.
    error = EACCES;
  } else {
    result = ReadOpened(fd, status, limit);
    if (!result) error = errno;
  }
  ::close(fd);
  return result;
}

}  // namespace puzzle
