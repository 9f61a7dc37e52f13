#pragma once
// The keyboard accelerator of a caption: the character after a single "&" ("&Oui" has
// O; "&&" stands for "&" itself and marks nothing). Labels, buttons and radio groups
// answer a character that matches theirs (CM_DIALOGCHAR).

#include <string_view>

namespace orvalis {

// Whether `key` is the accelerator of `caption`, without regard to letter case.
bool IsAccel(char32_t key, std::string_view caption);

}  // namespace orvalis
