#include "codecs/JpegProgressMonitor.h"

#include <algorithm>
#include <utility>

#include "runtime/Exceptions.h"

namespace orvalis {

JpegProgressMonitor::JpegProgressMonitor(Handler handler, Clock clock, const std::atomic<bool>* cancel)
    : jpeg_progress_mgr{}, handler_(std::move(handler)), clock_(std::move(clock)), cancel_(cancel) {
    progress_monitor = ReportProgress;
}

void JpegProgressMonitor::ReportProgress(j_common_ptr object) {
    auto& self = static_cast<JpegProgressMonitor&>(*object->progress);
    JpegErrorManager::Shield(object, [&] {
        if (self.cancel_ && self.cancel_->load(std::memory_order_relaxed)) Abort();
        self.Tick(object);
    });
}

void JpegProgressMonitor::Tick(j_common_ptr object) {
    const std::uint64_t now = clock_();
    if (now - lastTime_ < kInterval) return;
    const bool first = lastTime_ == 0;
    lastTime_ = now;
    if (first) return;

    TRect r;
    j_decompress_ptr decoder = nullptr;
    if (object->is_decompressor) {
        decoder = reinterpret_cast<j_decompress_ptr>(object);
        r = {0, static_cast<std::int32_t>(lastRow_), static_cast<std::int32_t>(decoder->output_width),
             static_cast<std::int32_t>(decoder->output_scanline)};
        if (r.Bottom < r.Top)  // a new pass started over at the top
            r.Bottom = static_cast<std::int32_t>(decoder->output_height);
    }

    if (pass_limit <= 0 || total_passes <= 0) return;
    const double done =
        (static_cast<double>(pass_counter) / static_cast<double>(pass_limit) + completed_passes) * 100.0 / total_passes;
    const int percent = std::clamp(static_cast<int>(done), 0, 100);
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    if (decoder) lastRow_ = decoder->output_scanline;
    Report(progressRunning, static_cast<std::uint8_t>(percent), r.Height() >= 4, r);
}

}  // namespace orvalis
