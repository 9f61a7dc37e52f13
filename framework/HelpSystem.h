#pragma once
// Where the program's help requests go: the help button of a message dialog asks for
// the dialog's help context. The program has no help file, so by default a request
// does nothing; a handler can be installed to show help (or, in tests, to see it).

#include <cstdint>
#include <functional>

namespace orvalis {

using THelpHandler = std::function<void(std::int32_t context)>;

// Asks for the help topic `context`.
void RequestHelp(std::int32_t context);
// Installs the handler of the requests (an empty one: requests do nothing again).
void SetHelpHandler(THelpHandler handler);

}  // namespace orvalis
