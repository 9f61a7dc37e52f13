#include "platform/headless/HeadlessSession.h"

#include "platform/Platform.h"

namespace orvalis::platform::headless {

HeadlessSession::HeadlessSession(ScreenMetrics screen) {
    auto backend = std::make_unique<HeadlessBackend>(screen);
    backend_ = backend.get();
    InstallBackend(std::move(backend));
}

HeadlessSession::~HeadlessSession() { RemoveBackend(); }

}  // namespace orvalis::platform::headless
