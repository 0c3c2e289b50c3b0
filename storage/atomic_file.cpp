#include "storage/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

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

}  // namespace

bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
  if (path.empty() || path.back() == '/') return false;
  // A symbolic link stays: the file it leads to is the one replaced, in its
  // own folder. An existing file must be a regular one the user may write,
  // and keeps its permission bits and, where allowed, its owner.
  std::string target = path;
  struct stat existing {};
  const bool exists = ::stat(path.c_str(), &existing) == 0;
  if (exists) {
    if (!S_ISREG(existing.st_mode) || !WritableByItsBits(existing)) return false;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return false;
    target = resolved;
    std::free(resolved);
  } else if (errno != ENOENT) {
    return false;
  }
  std::string folder = ".";
  RememberDirectory(target, folder);
  std::string temporary = folder + (folder.back() == '/' ? "" : "/") + ".puzzle-XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return false;
  const mode_t mode = exists ? static_cast<mode_t>(existing.st_mode & 07777) : NewFileMode();
  if (exists) {
    // Only the administrator may give a file away; for anyone else the
    // owner is the user already.
    [[maybe_unused]] const int ignored = ::fchown(fd, existing.st_uid, existing.st_gid);
  }
  bool written = WriteAll(fd, bytes.data(), bytes.size()) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
  written = ::close(fd) == 0 && written;
  if (!written || std::rename(temporary.c_str(), target.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  FlushFolder(folder);
  return true;
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
  if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size >= 0 &&
      static_cast<std::uint64_t>(status.st_size) <= limit) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(status.st_size));
    std::size_t got = 0;
    while (got < bytes.size()) {
      const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    // A file that shrank while read is refused; one that grew is read as
    // it was when measured.
    if (got == bytes.size()) result = std::move(bytes);
  }
  ::close(fd);
  return result;
}

}  // namespace puzzle
