#include "framework/HelpSystem.h"

#include <utility>

namespace orvalis {
namespace {

THelpHandler& Handler() {
    static THelpHandler handler;
    return handler;
}

}  // namespace

void RequestHelp(std::int32_t context) {
    if (const THelpHandler& handler = Handler()) handler(context);
}

void SetHelpHandler(THelpHandler handler) { Handler() = std::move(handler); }

}  // namespace orvalis
