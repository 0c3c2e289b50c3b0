// Whole files: written so that readers see either the old contents or the
// new, never a mixture, and read with a bound on their size. The game file,
// the pictures and the desktop files go through here. Owns no record.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace puzzle {

// Writes bytes to a temporary file in the folder of path, flushes it to the
// disk and renames it over path. On false, path is as it was and no
// temporary file is left. A new file gets the permissions of any file the
// user creates.
bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

// The contents of path; nothing when it cannot be read or holds more than
// limit bytes.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, std::uint64_t limit);

}  // namespace puzzle
