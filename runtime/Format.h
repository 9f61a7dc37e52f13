#pragma once
// The formatting routine: %s, %d, %u, %X with an optional width ("%3d"), and %%.
// A %d or %X takes a 32-bit integer as the documents' callers do: %X of -119
// prints FFFFFF89.

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "runtime/String.h"

namespace orvalis {

class FormatArg {
public:
    FormatArg(int value) : integer_(value) {}
    FormatArg(long value) : integer_(value) {}
    FormatArg(long long value) : integer_(value) {}
    FormatArg(unsigned value) : integer_(value) {}
    FormatArg(unsigned long value) : integer_(static_cast<std::int64_t>(value)) {}
    FormatArg(const String& text) : text_(text.View()), isText_(true) {}
    FormatArg(const char* text) : text_(text), isText_(true) {}
    FormatArg(std::string_view text) : text_(text), isText_(true) {}

    bool IsText() const { return isText_; }
    std::int64_t Integer() const { return integer_; }
    std::string_view Text() const { return text_; }

private:
    std::int64_t integer_ = 0;
    std::string_view text_;
    bool isText_ = false;
};

// Formats `pattern` with `args`; a conversion without its argument, or with an
// argument of the other kind, is a programming error and asserts.
String Format(std::string_view pattern, std::initializer_list<FormatArg> args);

}  // namespace orvalis
