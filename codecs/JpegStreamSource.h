#pragma once
// The library's data source over a stream of compressed bytes: it reads the stream
// through a buffer of 4096 bytes from its current position. At the end of the data it
// supplies an end-of-image marker after a library warning, so that a truncated file
// still decodes; a stream from which no byte at all can be read at the start is the
// library's empty-input error.

#include <cstddef>

#include "codecs/JpegErrorManager.h"
#include "runtime/Stream.h"

namespace orvalis {

class JpegStreamSource : public jpeg_source_mgr {
public:
    explicit JpegStreamSource(TStream& stream);
    JpegStreamSource(const JpegStreamSource&) = delete;
    JpegStreamSource& operator=(const JpegStreamSource&) = delete;

    // Makes `decoder` read from this source. The decoder must use a JpegErrorManager.
    void Attach(j_decompress_ptr decoder) { decoder->src = this; }

    static constexpr std::size_t kBufferSize = 4096;

private:
    static JpegStreamSource& Of(j_decompress_ptr decoder) { return static_cast<JpegStreamSource&>(*decoder->src); }

    static void InitSource(j_decompress_ptr decoder);
    static boolean FillInputBuffer(j_decompress_ptr decoder);
    static void SkipInputData(j_decompress_ptr decoder, long count);
    static void TermSource(j_decompress_ptr decoder);

    TStream& stream_;
    bool atStart_ = true;  // nothing read yet
    JOCTET buffer_[kBufferSize];
};

}  // namespace orvalis
