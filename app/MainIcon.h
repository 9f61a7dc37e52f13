#pragma once
// The program's icon "MAINICON": an icon group in the .ico layout whose images are PNG
// files (48 and 16 pixels), embedded in the program (generated at build time from
// app/icon/MainIcon.ico). Registered as a resource before the desktop backend starts,
// which makes it every window's icon; the application object reads it as its Icon.

#include <cstdint>
#include <span>

namespace orvalis {

// The embedded group.
std::span<const std::uint8_t> MainIconBytes();
// Registers the group as the icon resource "MAINICON", unless one is registered already.
void RegisterMainIcon();

}  // namespace orvalis
