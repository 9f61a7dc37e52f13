#pragma once
// The pixel buffer of the large picture let go of last, kept for the next picture of the
// same size. A series of views has one size: giving the next decode the pages of the
// view it replaces spares the kernel's zeroing and mapping of fresh ones (a tenth of a
// second and more for 300 MB), and the process never holds both. One buffer is kept at
// most; it goes back to the system as soon as a buffer of another size is made, or when
// the holder of the next decode says that none is coming (ReleaseRecycledPixels).
// Callable from any thread.

#include <cstddef>
#include <cstdint>

namespace orvalis::platform::raster {

// Buffers smaller than this are freed at once: their pages cost little to map again.
inline constexpr std::size_t kRecycledPixelsMinimum = std::size_t(2) << 20;

// Takes `bits` (from malloc, `size` bytes): kept when large, the buffer kept before then
// freed; freed at once otherwise.
void RecyclePixels(std::uint8_t* bits, std::size_t size);
// The buffer kept, when it has exactly `size` bytes: the caller owns it (free), and its
// bytes are the old picture's. Otherwise null, and a large `size` first frees the
// buffer kept, so that the new one is not added to it.
std::uint8_t* TakeRecycledPixels(std::size_t size);
// Frees the buffer kept, if any.
void ReleaseRecycledPixels();
// The size of the buffer kept, 0 when none (for tests).
std::size_t RecycledPixelsSize();

// The scope of a decode that may take the buffer kept (a view's preparation): what it
// did not take goes back at its end, so that no picture's pages stay held for nothing.
class RecycledPixelsUse {
public:
    RecycledPixelsUse() = default;
    ~RecycledPixelsUse() { ReleaseRecycledPixels(); }
    RecycledPixelsUse(const RecycledPixelsUse&) = delete;
    RecycledPixelsUse& operator=(const RecycledPixelsUse&) = delete;
};

}  // namespace orvalis::platform::raster
