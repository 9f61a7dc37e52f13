#include "codecs/JpegCompression.h"

#include <algorithm>
#include <cassert>
#include <vector>

#include "codecs/JpegErrorManager.h"
#include "codecs/JpegStreamDestination.h"

namespace orvalis {

namespace {

// The library's compress object with its error manager and destination, destroyed
// when the encode ends, whichever way.
class Encoder {
public:
    Encoder(TStream& destination, JpegProgressMonitor* monitor) : destination_(destination) {
        info_.err = &errors_;
        Run([&] { jpeg_CreateCompress(&info_, JPEG_LIB_VERSION, sizeof info_); });
        if (monitor) monitor->Attach(reinterpret_cast<j_common_ptr>(&info_));
        destination_.Attach(&info_);
    }
    ~Encoder() { jpeg_destroy_compress(&info_); }  // safe after a failure too
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    jpeg_compress_struct& Info() { return info_; }

    template <typename Call>
    void Run(Call&& call) {
        errors_.Run(reinterpret_cast<j_common_ptr>(&info_), call);
    }

private:
    JpegErrorManager errors_;
    JpegStreamDestination destination_;
    jpeg_compress_struct info_{};
};

}  // namespace

void EncodeJpeg(const JpegPicture& picture, const JpegEncodeSettings& settings, TStream& destination,
                JpegProgressMonitor* monitor) {
    assert(picture.Width > 0 && picture.Height > 0);
    Encoder encoder(destination, monitor);
    jpeg_compress_struct& info = encoder.Info();
    info.image_width = static_cast<JDIMENSION>(picture.Width);
    info.image_height = static_cast<JDIMENSION>(picture.Height);
    info.input_components = 3;
    info.in_color_space = JCS_EXT_BGR;
    encoder.Run([&] {
        jpeg_set_defaults(&info);
        info.dct_method = JDCT_FLOAT;
        jpeg_set_quality(&info, settings.Quality, TRUE);
        if (settings.GrayOutput) jpeg_set_colorspace(&info, JCS_GRAYSCALE);
        if (settings.Progressive) jpeg_simple_progression(&info);
        jpeg_start_compress(&info, TRUE);
    });

    if (monitor) monitor->Report(progressStarting, 0, false, TRect{});
    // All rows in one call when they lie evenly spaced top first, else one by one.
    const auto height = static_cast<JDIMENSION>(picture.Height);
    const JDIMENSION perCall = picture.Step > 0 && picture.Step % 4 == 0 ? height : 1;
    std::vector<JSAMPROW> rows(perCall);
    while (info.next_scanline < height) {
        const JDIMENSION first = info.next_scanline;
        const JDIMENSION count = std::min(perCall, height - first);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = const_cast<JSAMPROW>(picture.First + static_cast<std::ptrdiff_t>(first + i) * picture.Step);
        encoder.Run([&] { jpeg_write_scanlines(&info, rows.data(), count); });
    }
    encoder.Run([&] { jpeg_finish_compress(&info); });
    if (monitor) monitor->Report(progressEnding, 100, false, TRect{});
}

}  // namespace orvalis
