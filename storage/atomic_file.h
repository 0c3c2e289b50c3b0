// Writing a whole file so that readers see either the old contents or the
// new, never a mixture: the game file and the desktop files go through here.
// Owns no record.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace puzzle {

// Writes bytes to a temporary file in the folder of path, flushes it to the
// disk and renames it over path. On false, path is as it was and no
// temporary file is left. A new file gets the permissions of any file the
// user creates.
bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace puzzle
