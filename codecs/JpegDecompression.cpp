#include "codecs/JpegDecompression.h"

#include <jerror.h>

#include <algorithm>
#include <cassert>

#include "runtime/Exceptions.h"

namespace orvalis {

namespace {

// How many colours an 8-bit picture may use: the rest of a 256-entry palette stays for
// the system's own colours.
constexpr int kQuantizedColours = 236;

// Two 8-bit fractions multiplied, rounded.
std::uint8_t Scale(unsigned a, unsigned b) { return static_cast<std::uint8_t>((a * b + 127) / 255); }

}  // namespace

JpegDecompression::JpegDecompression(TStream& compressed, const JpegDecodeSettings& settings,
                                     JpegProgressMonitor* monitor)
    : source_(compressed) {
    compressed.SetPosition(0);
    info_.err = &errors_;
    Run([&] { jpeg_CreateDecompress(&info_, JPEG_LIB_VERSION, sizeof info_); });
    info_.mem->max_memory_to_use = static_cast<long>(kMaxOutputBytes);
    if (monitor) monitor->Attach(reinterpret_cast<j_common_ptr>(&info_));
    source_.Attach(&info_);
    Run([&] { jpeg_read_header(&info_, TRUE); });

    info_.scale_num = 1;
    info_.scale_denom = 1u << settings.OutputScale;
    info_.do_block_smoothing = settings.BlockSmoothing;
    if (settings.GrayOutput) info_.out_color_space = JCS_GRAYSCALE;
    // Blue, green, red: the byte order of the bitmap's 24-bit rows (and of the colour
    // map's components for 8-bit output).
    if (info_.out_color_space == JCS_RGB) info_.out_color_space = JCS_EXT_BGR;
    if (settings.OutputDepth == od8Bit || info_.out_color_space == JCS_GRAYSCALE) {
        info_.quantize_colors = TRUE;
        info_.desired_number_of_colors = kQuantizedColours;
    }
    if (settings.DecodeMode == dmBestSpeed) {
        info_.dct_method = JDCT_IFAST;
        info_.two_pass_quantize = FALSE;
        info_.dither_mode = JDITHER_ORDERED;
    } else {
        info_.dct_method = JDCT_FLOAT;  // the library's defaults stay: two passes, Floyd-Steinberg
    }
    finalDctMethod_ = info_.dct_method;
    finalTwoPass_ = info_.two_pass_quantize;
    finalDitherMode_ = info_.dither_mode;

    Run([&] { multipleScans_ = jpeg_has_multiple_scans(&info_); });
    if (settings.ProgressiveRedraw && multipleScans_) {
        // Quick passes while the scans arrive; the saved settings come back for the last.
        info_.enable_2pass_quant = info_.two_pass_quantize;
        info_.dct_method = JDCT_IFAST;
        info_.two_pass_quantize = FALSE;
        info_.dither_mode = JDITHER_ORDERED;
        info_.buffered_image = TRUE;
    }
}

JpegDecompression::~JpegDecompression() {
    // Also after a failure: destroying twice, or a partly created object, is safe.
    jpeg_destroy_decompress(&info_);
}

JpegHeader JpegDecompression::ReadHeader(TStream& compressed) {
    const JpegDecompression decoder(compressed, JpegDecodeSettings{});
    return {decoder.ImageWidth(), decoder.ImageHeight(), decoder.info_.jpeg_color_space == JCS_GRAYSCALE,
            decoder.HasMultipleScans()};
}

void JpegDecompression::UseColourMap(const std::vector<JpegPaletteEntry>& entries) {
    assert(info_.mem && EightBitOutput() && !started_);
    if (entries.empty()) return;
    const auto count = static_cast<JDIMENSION>(std::min<std::size_t>(entries.size(), 256));
    JSAMPARRAY map = nullptr;
    Run([&] { map = (*info_.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info_), JPOOL_IMAGE, count, 3); });
    for (JDIMENSION i = 0; i < count; ++i) {
        map[0][i] = entries[i].Blue;
        map[1][i] = entries[i].Green;
        map[2][i] = entries[i].Red;
    }
    info_.colormap = map;
    info_.actual_number_of_colors = static_cast<int>(count);
    givenColorMap_ = map;
}

void JpegDecompression::CalcOutputDimensions() {
    Run([&] { jpeg_calc_output_dimensions(&info_); });
}

void JpegDecompression::Start() {
    assert(!started_);
    CalcOutputDimensions();
    // The library quantises only what it outputs; four-component rows are converted
    // to blue, green, red afterwards, so they cannot become palette indices.
    if (CmykOutput() && EightBitOutput()) Refuse(JERR_CONVERSION_NOTIMPL);
    CheckOutputSize();
    Run([&] { jpeg_start_decompress(&info_); });
    started_ = true;
}

void JpegDecompression::ReadImage(JpegOutput& output) {
    assert(started_);
    if (!info_.buffered_image) {
        TakeLibraryPalette(output);
        ReadRows(output);
        return;
    }
    // Progressive redraw: one quick pass over the picture per scan as the scans arrive,
    // then the last pass with the final settings.
    bool firstPass = true;
    for (;;) {
        int status = 0;
        Run([&] { status = jpeg_consume_input(&info_); });
        if (status == JPEG_REACHED_EOI) break;
        Run([&] { jpeg_start_output(&info_, info_.input_scan_number); });
        if (firstPass) TakeLibraryPalette(output);
        firstPass = false;
        ReadRows(output);
        Run([&] { jpeg_finish_output(&info_); });
    }
    info_.dct_method = finalDctMethod_;
    info_.dither_mode = finalDitherMode_;
    // Two-pass quantisation chooses the colours again, from the whole picture; a colour
    // map given from outside stays the one to map onto.
    const bool chooseAgain = finalTwoPass_ && !givenColorMap_;
    if (chooseAgain) {
        info_.two_pass_quantize = TRUE;
        info_.colormap = nullptr;
    }
    Run([&] { jpeg_start_output(&info_, info_.input_scan_number); });
    if (chooseAgain) TakeLibraryPalette(output);
    ReadRows(output);
}

void JpegDecompression::Finish() {
    assert(started_);
    if (info_.buffered_image) Run([&] { jpeg_finish_output(&info_); });
    Run([&] { jpeg_finish_decompress(&info_); });
}

void JpegDecompression::Refuse(int code) {
    jpeg_destroy_decompress(&info_);
    throw EJPEG(code);
}

bool JpegDecompression::CmykOutput() const { return info_.out_color_space == JCS_CMYK; }

void JpegDecompression::CheckOutputSize() {
    // Rows as the bitmap stores them, padded to 32 bits. The product cannot overflow
    // 64 bits: both dimensions are below 2^32.
    const std::uint64_t bitsPerPixel = EightBitOutput() ? 8 : 24;
    const std::uint64_t stride = ((info_.output_width * bitsPerPixel + 31) & ~std::uint64_t{31}) / 8;
    if (stride * info_.output_height > kMaxOutputBytes) Refuse(JERR_IMAGE_TOO_BIG);
}

std::vector<JpegPaletteEntry> JpegDecompression::PaletteFromColorMap() const {
    std::vector<JpegPaletteEntry> entries(static_cast<std::size_t>(info_.actual_number_of_colors));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (info_.out_color_components == 1) {
            const JSAMPLE grey = info_.colormap[0][i];
            entries[i] = {grey, grey, grey};
        } else {
            entries[i] = {info_.colormap[2][i], info_.colormap[1][i], info_.colormap[0][i]};
        }
    }
    return entries;
}

void JpegDecompression::TakeLibraryPalette(JpegOutput& output) {
    // A given colour map that the library kept needs no palette; one that it replaced
    // (greyscale output, or the last pass of a progressive redraw) does.
    if (info_.colormap && info_.colormap != givenColorMap_) output.TakePalette(PaletteFromColorMap());
}

void JpegDecompression::ReadRows(JpegOutput& output) {
    const JpegRows rows = output.Rows();
    const JDIMENSION perCall = rows.Step > 0 && rows.Step % 4 == 0 ? info_.rec_outbuf_height : 1;
    const std::size_t cmykRowBytes = CmykOutput() ? std::size_t{info_.output_width} * 4 : 0;
    std::vector<JSAMPLE> cmyk(cmykRowBytes * perCall);
    std::vector<JSAMPROW> pointers(perCall);
    auto rowAddress = [&](JDIMENSION row) { return rows.First + static_cast<std::ptrdiff_t>(row) * rows.Step; };

    while (info_.output_scanline < info_.output_height) {
        const JDIMENSION first = info_.output_scanline;
        const JDIMENSION count = std::min(perCall, info_.output_height - first);
        for (JDIMENSION i = 0; i < count; ++i)
            pointers[i] = CmykOutput() ? &cmyk[i * cmykRowBytes] : rowAddress(first + i);
        JDIMENSION got = 0;
        Run([&] { got = jpeg_read_scanlines(&info_, pointers.data(), count); });
        assert(got > 0 && "the stream source never suspends");
        if (CmykOutput()) {
            for (JDIMENSION i = 0; i < got; ++i) ConvertCmykRow(pointers[i], rowAddress(first + i));
        }
        rowsWritten_ = std::max(rowsWritten_, first + got);
    }
}

void JpegDecompression::ConvertCmykRow(const JSAMPLE* source, std::uint8_t* destination) const {
    // Files with an Adobe marker, as written by common tools, store the inks inverted
    // (255 is no ink): then red = C x K / 255, and so on. Others store the inks.
    const bool inverted = info_.saw_Adobe_marker;
    for (JDIMENSION x = 0; x < info_.output_width; ++x, source += 4, destination += 3) {
        unsigned c = source[0], m = source[1], y = source[2], k = source[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        destination[0] = Scale(y, k);
        destination[1] = Scale(m, k);
        destination[2] = Scale(c, k);
    }
}

}  // namespace orvalis
