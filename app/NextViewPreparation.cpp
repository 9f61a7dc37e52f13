#include "app/NextViewPreparation.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

#include "codecs/JpegDecompression.h"
#include "codecs/JpegPictureDecode.h"
#include "platform/raster/RecycledPixels.h"
#include "runtime/RegularFile.h"
#include "runtime/Stream.h"

namespace orvalis {

namespace {

// Files read in blocks of this size, the cancel flag looked at between them.
constexpr std::size_t kReadBlock = 1 << 20;

// The whole file into `bytes`; false when it could not be read whole or the job was
// cancelled on the way.
bool ReadWhole(int fd, std::int64_t size, TMemoryStream& bytes, const std::atomic<bool>& cancel) {
    bytes.SetSize(size);
    auto* into = static_cast<std::uint8_t*>(bytes.Memory());
    std::int64_t done = 0;
    while (done < size) {
        if (cancel.load(std::memory_order_relaxed)) return false;
        const std::size_t wanted = static_cast<std::size_t>(std::min<std::int64_t>(size - done, kReadBlock));
        const ssize_t got = pread(fd, into + done, wanted, done);
        if (got <= 0) return false;
        done += got;
    }
    return true;
}

}  // namespace

const std::uint64_t NextViewPreparation::kLargestFile = JpegDecompression::kMaxOutputBytes;

NextViewPreparation::~NextViewPreparation() { Cancel(); }

void NextViewPreparation::Prepare(const String& name, const JpegDecodeSettings& settings) {
    if (job_ && name_ == name) return;
    Cancel();
    name_ = name;
    job_ = std::make_unique<Job>();
    job_->path = std::string(name.View());
    job_->settings = settings;
    worker_ = std::thread(&NextViewPreparation::Run, std::ref(*job_), std::ref(*this));
    pthread_setname_np(worker_.native_handle(), kWorkerName);
}

void NextViewPreparation::Cancel() {
    if (!job_) return;
    job_->cancel.store(true, std::memory_order_relaxed);
    {
        // Taken so that a held worker cannot miss the flag between its test and its wait.
        const std::lock_guard lock(holdMutex_);
    }
    holdChanged_.notify_all();
    Join();
    job_.reset();
    name_ = String();
}

void NextViewPreparation::CancelUnless(const String& name) {
    if (!(name_ == name)) Cancel();
}

std::unique_ptr<PreparedJpegPicture> NextViewPreparation::Take(const String& name, int descriptor) {
    if (!job_) return nullptr;
    if (!(name_ == name)) {
        Cancel();
        return nullptr;
    }
    Join();
    const std::unique_ptr<Job> job = std::move(job_);
    name_ = String();
    const std::optional<platform::FileIdentity> opened = platform::OpenFileIdentity(descriptor);
    if (!job->picture || !opened || !(*opened == job->identity))
        return nullptr;  // the stale picture goes with the job, before the loader decodes
    ++picturesTaken_;
    return std::move(job->picture);
}

bool NextViewPreparation::WaitUntilDone() {
    if (!job_) return false;
    Join();
    return job_->picture != nullptr;
}

void NextViewPreparation::Hold(bool held) {
    {
        const std::lock_guard lock(holdMutex_);
        held_ = held;
    }
    holdChanged_.notify_all();
}

void NextViewPreparation::Join() {
    if (worker_.joinable()) worker_.join();
}

void NextViewPreparation::WaitWhileHeld(const Job& job) {
    std::unique_lock lock(holdMutex_);
    holdChanged_.wait(lock, [&] { return !held_ || job.cancel.load(std::memory_order_relaxed); });
}

// The worker: whatever goes wrong leaves the job without a picture, and the loader
// meets the problem itself at the tick.
void NextViewPreparation::Run(Job& job, NextViewPreparation& owner) {
    const platform::raster::RecycledPixelsUse recycling;
    owner.WaitWhileHeld(job);
    if (job.cancel.load(std::memory_order_relaxed)) return;
    const FileDescriptor file = OpenRegularFile(job.path.c_str(), O_RDONLY);
    if (!file.IsOpen()) return;
    const std::optional<platform::FileIdentity> before = platform::OpenFileIdentity(file.Get());
    if (!before || before->size < 2 || static_cast<std::uint64_t>(before->size) > kLargestFile) return;
    try {
        auto bytes = std::make_unique<TMemoryStream>();
        if (!ReadWhole(file.Get(), before->size, *bytes, job.cancel)) return;
        // Changed while it was read: the bytes may mix two versions.
        if (platform::OpenFileIdentity(file.Get()) != before) return;
        const auto* signature = static_cast<const std::uint8_t*>(bytes->Memory());
        if (signature[0] != 0xFF || signature[1] != 0xD8) return;
        job.picture = PreparedJpegPicture::Decode(std::move(bytes), job.settings, job.cancel);
        job.identity = *before;
    } catch (...) {
        job.picture.reset();
    }
}

}  // namespace orvalis
