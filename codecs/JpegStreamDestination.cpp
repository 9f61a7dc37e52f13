#include "codecs/JpegStreamDestination.h"

namespace orvalis {

JpegStreamDestination::JpegStreamDestination(TStream& stream) : jpeg_destination_mgr{}, stream_(stream) {
    init_destination = InitDestination;
    empty_output_buffer = EmptyOutputBuffer;
    term_destination = TermDestination;
}

void JpegStreamDestination::InitDestination(j_compress_ptr encoder) {
    JpegStreamDestination& self = Of(encoder);
    self.next_output_byte = self.buffer_;
    self.free_in_buffer = kBufferSize;
}

boolean JpegStreamDestination::EmptyOutputBuffer(j_compress_ptr encoder) {
    // The library asks for the whole buffer to be written, whatever free_in_buffer says.
    JpegStreamDestination& self = Of(encoder);
    JpegErrorManager::Shield(reinterpret_cast<j_common_ptr>(encoder),
                             [&] { self.stream_.WriteBuffer(self.buffer_, kBufferSize); });
    self.next_output_byte = self.buffer_;
    self.free_in_buffer = kBufferSize;
    return TRUE;
}

void JpegStreamDestination::TermDestination(j_compress_ptr encoder) {
    JpegStreamDestination& self = Of(encoder);
    const std::size_t used = kBufferSize - self.free_in_buffer;
    JpegErrorManager::Shield(reinterpret_cast<j_common_ptr>(encoder),
                             [&] { self.stream_.WriteBuffer(self.buffer_, used); });
}

}  // namespace orvalis
