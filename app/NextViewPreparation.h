#pragma once
// The next view, read and decoded on a second thread while the current one is shown, so
// that the advance that shows it has little more to do than paint.
//
// The main window asks for the name that its next advance will build; a worker thread
// reads that file into memory of its own and decodes it with the settings a JPEG image
// would use, touching nothing that the user-interface thread owns, and keeps the
// finished picture with the identity of the file it read (device, inode, size,
// modification and status-change times: a rewrite that keeps the size and puts the
// modification time back still moves the latter). At the tick the advance runs as
// always; the loader, once it has opened the file and found a JPEG, asks for the
// picture (Take): it gets it only when the file it opened is still the one that was
// read, and otherwise decodes as usual. A preparation that failed is never reported:
// the loader then meets the failure itself and reports it as the documents say.
//
// Everything here is called on the user-interface thread; the worker only sees its own
// job. The hand-over goes through the worker's end (joined): a worker still busy with
// the name asked for is waited for, which is never longer than a decode. Cancel stops
// the worker at its next row (or between the blocks it reads) and drops what it made.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "codecs/JpegPictureDecode.h"
#include "codecs/JpegSettings.h"
#include "platform/FileTests.h"
#include "runtime/String.h"

namespace orvalis {

class NextViewPreparation {
public:
    NextViewPreparation() = default;
    // Cancels: no worker outlives the window.
    ~NextViewPreparation();
    NextViewPreparation(const NextViewPreparation&) = delete;
    NextViewPreparation& operator=(const NextViewPreparation&) = delete;

    // Prepares the file `name` with the decode settings `settings`, unless that name is
    // being prepared or ready already; any other preparation is cancelled first.
    void Prepare(const String& name, const JpegDecodeSettings& settings);
    // Stops the worker and drops its picture; at once (no decode is waited for).
    void Cancel();
    // Cancels any preparation but that of `name`, which is kept for the loader.
    void CancelUnless(const String& name);
    // The largest file a worker reads: no larger picture is decoded.
    static const std::uint64_t kLargestFile;
    // The picture prepared for `name` when the file open as `descriptor` is still the
    // one that was read; null otherwise. Waits for a worker still busy with `name`. The
    // preparation is over afterwards, whatever the answer: a stale picture goes at once.
    std::unique_ptr<PreparedJpegPicture> Take(const String& name, int descriptor);

    // How the tests see the worker without timing it. WaitUntilDone waits for the
    // worker's end and says whether a picture is ready; the picture stays for Take.
    bool WaitUntilDone();
    // The name the worker thread bears (in /proc/<pid>/task/<tid>/comm).
    static constexpr const char* kWorkerName = "vue suivante";
    // A preparation is under way, or its picture waits for the loader.
    bool Pending() const { return job_ != nullptr; }
    // The pictures that the loader took instead of decoding.
    int PicturesTaken() const { return picturesTaken_; }
    // While held, a worker waits before it opens its file (Cancel still stops it), so
    // that a test can act while a preparation is under way.
    void Hold(bool held);

private:
    // What the worker shares with the user-interface thread while it runs. The result
    // is read only after the worker has been joined.
    struct Job {
        std::string path;
        JpegDecodeSettings settings;
        std::atomic<bool> cancel{false};
        std::unique_ptr<PreparedJpegPicture> picture;
        platform::FileIdentity identity;
    };
    static void Run(Job& job, NextViewPreparation& owner);
    void WaitWhileHeld(const Job& job);
    void Join();

    String name_;  // the name being prepared; empty when none
    std::unique_ptr<Job> job_;
    std::thread worker_;
    int picturesTaken_ = 0;

    std::mutex holdMutex_;
    std::condition_variable holdChanged_;
    bool held_ = false;
};

}  // namespace orvalis
