#include "JpegFiles.h"

#include <cassert>
#include <cstdlib>

namespace orvalis::test {

Samples ColourPicture(int width, int height) {
    Samples picture{width, height, 3, std::vector<std::uint8_t>(std::size_t(width) * height * 3)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* pixel = picture.Pixel(x, y);
            pixel[0] = static_cast<std::uint8_t>(x * 255 / (width - 1));
            pixel[1] = static_cast<std::uint8_t>(y * 255 / (height - 1));
            pixel[2] = (x / 16 + y / 16) % 2 ? 160 : 90;
        }
    }
    return picture;
}

std::vector<std::uint8_t> WriteJpeg(const Samples& samples, const JpegOptions& options) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);

    info.image_width = static_cast<JDIMENSION>(samples.width);
    info.image_height = static_cast<JDIMENSION>(samples.height);
    info.input_components = samples.components;
    info.in_color_space = samples.components == 1 ? JCS_GRAYSCALE : samples.components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    if (options.stored != JCS_UNKNOWN) jpeg_set_colorspace(&info, options.stored);
    if (!options.adobeMarker) info.write_Adobe_marker = FALSE;
    jpeg_set_quality(&info, options.quality, TRUE);
    info.restart_in_rows = options.restartRows;
    if (options.progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    if (options.appBytes > 0) {
        std::vector<JOCTET> data(options.appBytes);
        for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<JOCTET>(i * 7);
        jpeg_write_marker(&info, JPEG_APP0 + 1, data.data(), static_cast<unsigned>(data.size()));
    }
    const std::size_t rowBytes = std::size_t(samples.width) * samples.components;
    while (info.next_scanline < info.image_height) {
        auto* row = const_cast<JSAMPLE*>(&samples.bytes[info.next_scanline * rowBytes]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<std::uint8_t> file(buffer, buffer + size);
    std::free(buffer);
    return file;
}

Samples ReferenceDecode(const std::vector<std::uint8_t>& file, J_COLOR_SPACE output) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = output;
    info.dct_method = JDCT_FLOAT;
    jpeg_start_decompress(&info);
    Samples result{
        static_cast<int>(info.output_width), static_cast<int>(info.output_height), info.output_components, {}};
    result.bytes.resize(std::size_t(result.width) * result.height * result.components);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = result.Pixel(0, static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return result;
}

std::vector<std::uint8_t> WithFrameSize(std::vector<std::uint8_t> file, int width, int height) {
    // Walk the marker segments after SOI up to the start-of-frame marker (FF C0..C2):
    // length, precision, height, width.
    std::size_t i = 2;
    while (i + 9 < file.size() && file[i] == 0xFF) {
        const int marker = file[i + 1];
        if (marker >= 0xC0 && marker <= 0xC2) {
            file[i + 5] = static_cast<std::uint8_t>(height >> 8);
            file[i + 6] = static_cast<std::uint8_t>(height);
            file[i + 7] = static_cast<std::uint8_t>(width >> 8);
            file[i + 8] = static_cast<std::uint8_t>(width);
            return file;
        }
        i += 2 + (std::size_t(file[i + 2]) << 8 | file[i + 3]);
    }
    assert(false && "no frame header");
    return file;
}

}  // namespace orvalis::test
