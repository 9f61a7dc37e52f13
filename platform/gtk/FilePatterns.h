#pragma once
// The patterns of a file-dialog filter entry ("*.JPG;*JPEG"), matched against file names
// without regard to case, as the platform's file dialog has always done: "*.JPG" lists
// x.jpg and X.Jpg, and "*JPEG" (no dot) lists PLAN.jpeg as well as planJPEG.

#include <string_view>

namespace orvalis::platform::gtk {

// Whether the name (UTF-8) matches one of the patterns, separated by ";". "*" stands for
// any run of characters, "?" for one; "*.*" takes every name, with or without a dot.
// Blanks around a pattern are ignored.
bool MatchesFilterPatterns(std::string_view name, std::string_view patterns);

}  // namespace orvalis::platform::gtk
