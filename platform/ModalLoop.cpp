#include "platform/EndSession.h"
#include "platform/MessageQueue.h"
#include "platform/detail/DialogRuns.h"

namespace orvalis::platform::detail {

bool RunModalLoop(const std::function<bool()>& done) {
    while (!done() && !IsSessionEnding()) {
        Message message;
        if (PeekMessage(message, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
            TranslateMessage(message);
            DispatchMessage(message);
        } else if (!done()) {
            WaitMessage();
        }
    }
    return done();
}

}  // namespace orvalis::platform::detail
