#pragma once
// The real viewer (its start-up piece, its forms, its message loop) run on the headless
// backend under a scripted user, for the benchmarks that time or weigh what the user
// sees. The working directory is `folder` for the run (the viewer's log lands there).

#include <filesystem>
#include <functional>

#include "platform/ScreenMetrics.h"
#include "platform/headless/UserScript.h"

namespace orvalis::bench {

using platform::headless::UserScript;

// Runs the viewer to its end under the script that `write` writes (which must close it),
// on a screen of the given size.
void RunViewerScripted(const std::filesystem::path& folder, const std::function<void(UserScript& script)>& write,
                       platform::ScreenMetrics screen = {});

// A series vue1.jpg ... vue<count>.jpg in `folder`, each a link to `view`; gives the
// path of view 1.
std::filesystem::path ViewSeries(const std::filesystem::path& folder, const std::filesystem::path& view, int count);

}  // namespace orvalis::bench
