#pragma once
// The form compiler's two kinds of refusal: a form source that does not parse
// (with its place in the file) and form data that does not decode (with the
// offset of the faulty byte).

#include <cstddef>
#include <string_view>

#include "runtime/Exceptions.h"

namespace orvalis::formc {

// "<file>:<line>:<column>: error: <what>", lines and columns counted from 1.
class FormSourceError : public Exception {
public:
    FormSourceError(std::string_view fileName, int line, int column, std::string_view what);

    int Line() const { return line_; }
    int Column() const { return column_; }

private:
    int line_;
    int column_;
};

// "malformed form data at byte <offset>: <what>".
class FormDataError : public Exception {
public:
    FormDataError(std::size_t offset, std::string_view what);

    std::size_t Offset() const { return offset_; }

private:
    std::size_t offset_;
};

}  // namespace orvalis::formc
