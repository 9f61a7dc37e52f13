#include "app/MainIcon.h"

#include "runtime/Resources.h"

namespace orvalis {

void RegisterMainIcon() {
    if (!FindResource(ResourceType::Icon, "MAINICON"))
        RegisterResource(ResourceType::Icon, "MAINICON", MainIconBytes());
}

}  // namespace orvalis
