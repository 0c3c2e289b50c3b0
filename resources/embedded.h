// The files the program writes for the desktop itself (the game-file
// association, the icons), compiled in so that it needs nothing beside its
// executable. Their sources live in resources/; cmake --install copies the
// same files system-wide. Read-only data; owns no record.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace puzzle::resources {

// Window icon (1500) and game-file icon (1501), 48 x 48 PNG.
std::span<const std::uint8_t> WindowIconPng();
std::span<const std::uint8_t> GameFileIconPng();
// The MIME package for *.pzz.
std::string_view MimePackageXml();
// The desktop entry with "@PROGRAM@" where the quoted program path goes.
std::string_view DesktopEntryTemplate();

}  // namespace puzzle::resources
