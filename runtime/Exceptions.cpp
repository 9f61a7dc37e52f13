#include "runtime/Exceptions.h"

namespace orvalis {

void Abort() { throw EAbort(String()); }

}  // namespace orvalis
