#pragma once
// TSharedImage: a record that several graphics share (a bitmap's pixels, a JPEG image's
// compressed bytes), with an explicit count of its holders. A holder keeps it in a
// SharedRef (runtime/SharedRef.h), which takes a share with AddShare and gives it back
// with Release; the last Release releases the record's platform objects (ReleaseHandles)
// and destroys it. The count is changed by plain increments: records belong to the
// user-interface thread (a bitmap swaps records under BitmapImageLock).

#include <cstdint>

namespace orvalis {

class TSharedImage {
public:
    TSharedImage(const TSharedImage&) = delete;
    TSharedImage& operator=(const TSharedImage&) = delete;
    virtual ~TSharedImage() = default;

    std::int32_t ShareCount() const { return shareCount_; }
    void AddShare() { ++shareCount_; }
    // Nothing for a null record; otherwise one share less, and with the last one the
    // record's handles are released and the record destroyed.
    static void Release(TSharedImage* image);

protected:
    // A new record has no holder: its first SharedRef takes the first share.
    TSharedImage() = default;
    virtual void ReleaseHandles() = 0;

private:
    std::int32_t shareCount_ = 0;
};

}  // namespace orvalis
