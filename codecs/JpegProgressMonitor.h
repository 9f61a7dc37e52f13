#pragma once
// The library's progress hook for one decode or encode, with its throttling: a report
// at most every 500 ms and only when the percentage changed. The first call of the
// hook only starts the clock. One monitor serves one decode or encode.
//
// A monitor given a cancel flag stops the work at the library's next call of the hook
// (between rows) once the flag is set, from any thread: the work then ends with EAbort.

#include <atomic>
#include <cstdint>
#include <functional>

#include "classes/Events.h"
#include "classes/Rect.h"
#include "codecs/JpegErrorManager.h"

namespace orvalis {

class JpegProgressMonitor : public jpeg_progress_mgr {
public:
    // What the graphic's OnProgress gets, less the sender and the message.
    using Handler = std::function<void(TProgressStage stage, std::uint8_t percentDone, bool redrawNow, const TRect& r)>;
    // The millisecond tick count.
    using Clock = std::function<std::uint64_t()>;

    JpegProgressMonitor(Handler handler, Clock clock, const std::atomic<bool>* cancel = nullptr);
    JpegProgressMonitor(const JpegProgressMonitor&) = delete;
    JpegProgressMonitor& operator=(const JpegProgressMonitor&) = delete;

    // Makes the library call the hook during the work of `object`.
    void Attach(j_common_ptr object) { object->progress = this; }

    // A report from the caller's own code (the starting and ending stages).
    void Report(TProgressStage stage, std::uint8_t percentDone, bool redrawNow, const TRect& r) {
        handler_(stage, percentDone, redrawNow, r);
    }

    // The cancel flag no longer stops the work (it goes on elsewhere, the flag's owner
    // being gone).
    void ForgetCancel() { cancel_ = nullptr; }

    static constexpr std::uint64_t kInterval = 500;

private:
    static void ReportProgress(j_common_ptr object);
    void Tick(j_common_ptr object);

    Handler handler_;
    Clock clock_;
    const std::atomic<bool>* cancel_;
    std::uint64_t lastTime_ = 0;
    int lastPercent_ = 0;
    JDIMENSION lastRow_ = 0;
};

}  // namespace orvalis
