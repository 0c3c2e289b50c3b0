// The one conversion between the game's UTF-8 texts and the UTF-16 the
// Windows interfaces take: file names, the registry, window and menu texts
// (built on Windows only). It is strict: text that is not valid UTF-8, or
// UTF-16 with an unpaired surrogate, converts to nothing rather than to
// replacement characters, so that a damaged file name never silently
// becomes the name of another, existing file, and a registry value is never
// stored or read mangled. Each caller says what nothing means for it. Owns
// no record.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace puzzle {

std::optional<std::wstring> WideText(std::string_view utf8);
std::optional<std::string> Utf8Text(std::wstring_view utf16);

}  // namespace puzzle
