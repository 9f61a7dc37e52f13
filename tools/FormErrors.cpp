#include "tools/FormErrors.h"

#include "runtime/TextConversions.h"

namespace orvalis::formc {

FormSourceError::FormSourceError(std::string_view fileName, int line, int column, std::string_view what)
    : Exception(Format("%s:%d:%d: error: %s", {fileName, line, column, what})), line_(line), column_(column) {}

FormDataError::FormDataError(std::size_t offset, std::string_view what)
    : Exception(Format("malformed form data at byte %s: %s", {IntToStr(static_cast<std::int64_t>(offset)), what})),
      offset_(offset) {}

}  // namespace orvalis::formc
