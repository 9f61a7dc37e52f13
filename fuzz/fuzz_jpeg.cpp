// The JPEG plumbing on arbitrary bytes: the header read of a load, then full decodes
// into memory sized from the reported output size, in three ways: 24-bit rows top
// down with a progressive redraw, 8-bit rows bottom up onto a given palette at half
// size, and greyscale 8-bit rows with the library's own palette at a quarter size.
//
// EJPEG (or another framework exception) is a refusal. A finding is anything else
// escaping, a sanitizer report, an 8-bit pixel outside its palette, a palette of more
// than 256 colours, or a progress band outside the picture.
//
// The plumbing refuses pictures above 1 GiB; this harness skips, before decoding,
// files whose picture would take more than 16 MB, so that every input decodes fast.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "codecs/JpegDecompression.h"
#include "codecs/JpegProgressMonitor.h"
#include "codecs/JpegSettings.h"
#include "runtime/Exceptions.h"
#include "runtime/Stream.h"

namespace {

using namespace orvalis;

constexpr std::uint64_t kMaxHarnessOutputBytes = 16u << 20;

[[noreturn]] void Finding(const char* what) {
    std::fprintf(stderr, "fuzz_jpeg: %s\n", what);
    std::abort();
}

// Rows padded to 32 bits, as the bitmap stores them.
std::size_t Stride(int width, int bitsPerPixel) {
    return ((static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel) + 31) & ~std::size_t{31}) / 8;
}

class MemoryOutput : public JpegOutput {
public:
    MemoryOutput(int width, int height, bool eightBit, bool bottomUp)
        : stride_(Stride(width, eightBit ? 8 : 24)),
          height_(height),
          bottomUp_(bottomUp),
          pixels_(stride_ * static_cast<std::size_t>(height)) {}

    JpegRows Rows() override {
        const auto step = static_cast<std::ptrdiff_t>(stride_);
        if (!bottomUp_) return {pixels_.data(), step};
        return {pixels_.data() + (static_cast<std::size_t>(height_) - 1) * stride_, -step};
    }

    void TakePalette(const std::vector<JpegPaletteEntry>& entries) override {
        if (entries.empty() || entries.size() > 256) Finding("a palette of no colour or of more than 256");
        paletteSize_ = entries.size();
    }

    void SetPaletteSize(std::size_t size) { paletteSize_ = size; }

    // Every index of the `width` pixels of each row names a colour of the palette.
    void CheckIndices(int width) const {
        for (int y = 0; y < height_; ++y) {
            const std::uint8_t* row = pixels_.data() + static_cast<std::size_t>(y) * stride_;
            for (int x = 0; x < width; ++x)
                if (row[x] >= paletteSize_) Finding("an 8-bit pixel outside its palette");
        }
    }

private:
    std::size_t stride_;
    int height_;
    bool bottomUp_;
    std::vector<std::uint8_t> pixels_;
    std::size_t paletteSize_ = 0;
};

struct Variant {
    JpegDecodeSettings settings;
    bool bottomUp = false;
    bool givenPalette = false;
};

// Sixteen colours, blue to red.
std::vector<JpegPaletteEntry> GivenPalette() {
    std::vector<JpegPaletteEntry> entries;
    for (int i = 0; i < 16; ++i)
        entries.push_back({static_cast<std::uint8_t>(i * 17), static_cast<std::uint8_t>(i * 5),
                           static_cast<std::uint8_t>(255 - i * 17)});
    return entries;
}

void Decode(TMemoryStream& compressed, const Variant& variant) {
    // The clock moves half a second at each reading, so that every change of the
    // percentage is reported.
    std::uint64_t now = 0;
    JpegDecompression* current = nullptr;
    JpegProgressMonitor monitor(
        [&](TProgressStage, std::uint8_t percent, bool, const TRect& r) {
            if (percent > 100) Finding("a progress beyond 100 %");
            if (current == nullptr) return;  // still reading the header
            if (r.Left != 0 || r.Top < 0 || r.Top > r.Bottom || r.Right > current->OutputWidth() ||
                r.Bottom > current->OutputHeight())
                Finding("a progress band outside the picture");
        },
        [&] { return now += JpegProgressMonitor::kInterval; });
    try {
        JpegDecompression decoder(compressed, variant.settings, &monitor);
        current = &decoder;
        if (variant.givenPalette && decoder.EightBitOutput()) decoder.UseColourMap(GivenPalette());
        decoder.Start();
        MemoryOutput output(decoder.OutputWidth(), decoder.OutputHeight(), decoder.EightBitOutput(), variant.bottomUp);
        if (variant.givenPalette && decoder.EightBitOutput()) output.SetPaletteSize(GivenPalette().size());
        decoder.ReadImage(output);
        decoder.Finish();
        if (decoder.EightBitOutput()) output.CheckIndices(decoder.OutputWidth());
    } catch (const Exception&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TMemoryStream compressed;
    if (size > 0) compressed.WriteBuffer(data, size);

    JpegHeader header;
    try {
        header = JpegDecompression::ReadHeader(compressed);
    } catch (const Exception&) {
        return 0;
    }
    if (std::uint64_t{Stride(header.Width, 24)} * static_cast<std::uint64_t>(header.Height) > kMaxHarnessOutputBytes)
        return 0;

    Variant colour;
    colour.settings.ProgressiveRedraw = true;
    Decode(compressed, colour);

    Variant mapped;
    mapped.settings.OutputDepth = od8Bit;
    mapped.settings.DecodeMode = dmBestSpeed;
    mapped.settings.OutputScale = osHalf;
    mapped.settings.BlockSmoothing = false;
    mapped.bottomUp = true;
    mapped.givenPalette = true;
    Decode(compressed, mapped);

    Variant grey;
    grey.settings.GrayOutput = true;
    grey.settings.OutputScale = osQuarter;
    grey.settings.ProgressiveRedraw = true;
    Decode(compressed, grey);
    return 0;
}
