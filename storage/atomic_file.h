// Whole files: written so that readers see either the old contents or the
// new, never a mixture, and read with a bound on their size. The game file,
// the pictures and the desktop files go through here. Owns no record.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace puzzle {

// What a store does with a symbolic link at its path: follow it (the file
// it leads to is the one read or replaced), or refuse it.
enum class Links { Follow, Refuse };

// Writes bytes to a temporary file in the folder of path, flushes it to the
// disk and renames it over path, then flushes the folder. On false, path is
// as it was and no temporary file is left. The temporary is named after the
// file it replaces, so that the next save to that file removes what a killed
// save left. A new file gets the permissions of any file the user creates;
// an existing one keeps its permission bits and must be a regular file
// whose bits let the user write it (a read-only file is refused as it would
// be to an ordinary user, even to the administrator). A symbolic link is
// kept and the file it leads to replaced; with links refused, only a
// regular file of the user's own is replaced.
bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                         Links links = Links::Follow);

// Removes the temporary files in folder that killed saves left, last written
// at least minAge ago. Files a running save holds, other people's files and
// links are left alone.
void RemoveStaleTemporaries(const std::string& folder, std::chrono::seconds minAge);

// Whether path is, itself and not through a link, a regular file of the
// user's own.
bool OwnRegularFile(const std::string& path);

// Whether a store may read and rewrite the file at path by itself: nothing
// there yet, a regular file, or a symbolic link to a regular file of the
// user's own. Anything else (a FIFO, a device, a link leading elsewhere)
// would block the reader or be replaced by the writer.
bool RegularOrAbsent(const std::string& path);

// The contents of path; nothing when it is not a regular file (a FIFO or a
// device is refused without waiting on it), cannot be read or holds more
// than limit bytes, which is checked before anything is read.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, std::uint64_t limit);

// The contents of a regular file of the user's own whose bits let the user
// read it, opened without following a link; otherwise nothing, with the
// system's error number in error (ELOOP for a link, EACCES for a file the
// user may not read, EFBIG beyond limit).
std::optional<std::vector<std::uint8_t>> ReadOwnFile(const std::string& path, std::uint64_t limit,
                                                     int& error);

}  // namespace puzzle
