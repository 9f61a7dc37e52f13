#include "platform/gtk/MainContextWait.h"

#include <algorithm>
#include <climits>

namespace orvalis::platform::gtk {

void MainContextWait::Wait(int wakeFd, std::optional<std::uint64_t> limitMilliseconds) {
    GMainContext* context = g_main_context_default();
    if (!g_main_context_acquire(context)) return;
    gint priority = 0;
    g_main_context_prepare(context, &priority);  // a source already ready makes the timeout 0
    gint timeout = -1;
    gint count;
    while ((count = g_main_context_query(context, priority, &timeout, fds_.data(), static_cast<gint>(fds_.size()))) >
           static_cast<gint>(fds_.size()))
        fds_.resize(static_cast<std::size_t>(count));
    const auto sourceFds = static_cast<std::size_t>(count);
    if (fds_.size() < sourceFds + 1) fds_.resize(sourceFds + 1);
    fds_[sourceFds] = GPollFD{wakeFd, G_IO_IN, 0};
    if (limitMilliseconds) {
        const gint limit = static_cast<gint>(std::min<std::uint64_t>(*limitMilliseconds, INT_MAX));
        timeout = timeout < 0 ? limit : std::min(timeout, limit);
    }
    g_main_context_get_poll_func(context)(fds_.data(), static_cast<guint>(sourceFds + 1), timeout);
    if (g_main_context_check(context, priority, fds_.data(), count)) g_main_context_dispatch(context);
    g_main_context_release(context);
}

}  // namespace orvalis::platform::gtk
