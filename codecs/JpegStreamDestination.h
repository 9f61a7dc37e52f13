#pragma once
// The library's data destination: the compressed bytes are appended to a stream
// through a buffer of 4096 bytes.

#include <cstddef>

#include "codecs/JpegErrorManager.h"
#include "runtime/Stream.h"

namespace orvalis {

class JpegStreamDestination : public jpeg_destination_mgr {
public:
    explicit JpegStreamDestination(TStream& stream);
    JpegStreamDestination(const JpegStreamDestination&) = delete;
    JpegStreamDestination& operator=(const JpegStreamDestination&) = delete;

    // Makes `encoder` write to this destination. The encoder must use a JpegErrorManager.
    void Attach(j_compress_ptr encoder) { encoder->dest = this; }

    static constexpr std::size_t kBufferSize = 4096;

private:
    static JpegStreamDestination& Of(j_compress_ptr encoder) {
        return static_cast<JpegStreamDestination&>(*encoder->dest);
    }

    static void InitDestination(j_compress_ptr encoder);
    static boolean EmptyOutputBuffer(j_compress_ptr encoder);
    static void TermDestination(j_compress_ptr encoder);

    TStream& stream_;
    JOCTET buffer_[kBufferSize];
};

}  // namespace orvalis
