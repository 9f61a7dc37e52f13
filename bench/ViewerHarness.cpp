#include "bench/ViewerHarness.h"

#include <stdexcept>

#include "app/ViewerStartup.h"
#include "platform/headless/HeadlessSession.h"

namespace orvalis::bench {

namespace {

// The working directory changed for a scope, and back.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::filesystem::path& folder) : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~WorkingDirectory() { std::filesystem::current_path(previous_); }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    std::filesystem::path previous_;
};

}  // namespace

void RunViewerScripted(const std::filesystem::path& folder, const std::function<void(UserScript& script)>& write,
                       platform::ScreenMetrics screen) {
    std::filesystem::create_directories(folder);
    const WorkingDirectory inFolder(folder);
    platform::headless::HeadlessSession session(screen);
    write(session.Script());
    RunViewer();
    if (session.Script().Remaining() != 0) throw std::runtime_error("the viewer ended before its script");
}

std::filesystem::path ViewSeries(const std::filesystem::path& folder, const std::filesystem::path& view, int count) {
    std::filesystem::create_directories(folder);
    const std::filesystem::path target = std::filesystem::absolute(view);
    for (int number = 1; number <= count; ++number) {
        const std::filesystem::path link = folder / ("vue" + std::to_string(number) + ".jpg");
        if (!std::filesystem::exists(link)) std::filesystem::create_symlink(target, link);
    }
    return std::filesystem::absolute(folder / "vue1.jpg");
}

}  // namespace orvalis::bench
