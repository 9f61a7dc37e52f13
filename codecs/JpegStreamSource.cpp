#include "codecs/JpegStreamSource.h"

#include <jerror.h>

#include <algorithm>
#include <cstdint>

namespace orvalis {

JpegStreamSource::JpegStreamSource(TStream& stream) : jpeg_source_mgr{}, stream_(stream) {
    init_source = InitSource;
    fill_input_buffer = FillInputBuffer;
    skip_input_data = SkipInputData;
    resync_to_restart = jpeg_resync_to_restart;
    term_source = TermSource;
}

void JpegStreamSource::InitSource(j_decompress_ptr decoder) { Of(decoder).atStart_ = true; }

boolean JpegStreamSource::FillInputBuffer(j_decompress_ptr decoder) {
    JpegStreamSource& self = Of(decoder);
    std::size_t count = 0;
    JpegErrorManager::Shield(reinterpret_cast<j_common_ptr>(decoder),
                             [&] { count = self.stream_.Read(self.buffer_, kBufferSize); });
    if (count == 0) {
        if (self.atStart_) ERREXIT(decoder, JERR_INPUT_EMPTY);
        WARNMS(decoder, JWRN_JPEG_EOF);
        self.buffer_[0] = 0xFF;
        self.buffer_[1] = JPEG_EOI;
        count = 2;
    }
    self.next_input_byte = self.buffer_;
    self.bytes_in_buffer = count;
    self.atStart_ = false;
    return TRUE;
}

void JpegStreamSource::SkipInputData(j_decompress_ptr decoder, long count) {
    JpegStreamSource& self = Of(decoder);
    if (count <= 0) return;
    const auto wanted = static_cast<std::size_t>(count);
    if (wanted <= self.bytes_in_buffer) {
        self.next_input_byte += wanted;
        self.bytes_in_buffer -= wanted;
        return;
    }
    // The rest lies past the buffer: move the stream instead of reading it, stopping at
    // its end (the next fill then supplies the end-of-image marker).
    const auto beyond = static_cast<std::int64_t>(wanted - self.bytes_in_buffer);
    self.bytes_in_buffer = 0;
    JpegErrorManager::Shield(reinterpret_cast<j_common_ptr>(decoder), [&] {
        const std::int64_t size = self.stream_.Size();
        const std::int64_t position = self.stream_.Position();
        self.stream_.SetPosition(std::min(size, position + beyond));
    });
}

void JpegStreamSource::TermSource(j_decompress_ptr) {}

}  // namespace orvalis
