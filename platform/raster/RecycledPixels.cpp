#include "platform/raster/RecycledPixels.h"

#include <cstdlib>
#include <mutex>

namespace orvalis::platform::raster {

namespace {

struct KeptBuffer {
    std::mutex mutex;
    std::uint8_t* bits = nullptr;
    std::size_t size = 0;

    // Under the mutex: what was kept, which the caller frees outside it.
    std::uint8_t* Release() {
        std::uint8_t* old = bits;
        bits = nullptr;
        size = 0;
        return old;
    }
};

KeptBuffer& Kept() {
    // Never destroyed: a picture may be let go of while the program's statics go.
    static KeptBuffer* const kept = new KeptBuffer;
    return *kept;
}

}  // namespace

void RecyclePixels(std::uint8_t* bits, std::size_t size) {
    if (!bits) return;
    if (size < kRecycledPixelsMinimum) {
        std::free(bits);
        return;
    }
    KeptBuffer& kept = Kept();
    std::uint8_t* old = nullptr;
    {
        const std::lock_guard lock(kept.mutex);
        old = kept.Release();
        kept.bits = bits;
        kept.size = size;
    }
    std::free(old);
}

std::uint8_t* TakeRecycledPixels(std::size_t size) {
    if (size < kRecycledPixelsMinimum) return nullptr;
    KeptBuffer& kept = Kept();
    std::uint8_t* old = nullptr;
    {
        const std::lock_guard lock(kept.mutex);
        if (kept.size == size) return kept.Release();
        old = kept.Release();
    }
    std::free(old);
    return nullptr;
}

void ReleaseRecycledPixels() {
    KeptBuffer& kept = Kept();
    std::uint8_t* old = nullptr;
    {
        const std::lock_guard lock(kept.mutex);
        old = kept.Release();
    }
    std::free(old);
}

std::size_t RecycledPixelsSize() {
    KeptBuffer& kept = Kept();
    const std::lock_guard lock(kept.mutex);
    return kept.size;
}

}  // namespace orvalis::platform::raster
