#pragma once
// One decode of a compressed JPEG stream, in steps, so that the image can prepare its
// bitmap between them:
//
//     JpegDecompression decoder(compressed, settings, &monitor);  // header read, settings set
//     layout := decoder.EightBitOutput() ? pl8Bit : pl24Bit
//     decoder.UseColourMap(entries);    // optional, 8-bit output: map onto a given palette
//     decoder.Start();
//     size := decoder.OutputWidth() x decoder.OutputHeight()
//     decoder.ReadImage(output);       // rows, and the palette, into the caller's memory
//     decoder.Finish();
//
// Rows arrive top first, 8-bit rows as palette indices, 24-bit rows as blue, green, red
// bytes whatever the coding of the file (YCbCr, RGB, or CMYK and YCCK, which are
// converted; these cannot give 8-bit rows and are refused for them). A failure destroys the library object before its
// exception leaves the step: EJPEG with the library's message code, or the exception of a progress handler (EAbort ends
// the decode; the rows already written stay). After a failure only the destructor may be called.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "codecs/JpegErrorManager.h"
#include "codecs/JpegProgressMonitor.h"
#include "codecs/JpegSettings.h"
#include "codecs/JpegStreamSource.h"
#include "runtime/Stream.h"

namespace orvalis {

struct JpegPaletteEntry {
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;
    friend bool operator==(const JpegPaletteEntry&, const JpegPaletteEntry&) = default;
};

// The caller's pixel memory: the address of row 0 (the top row) and the distance in
// bytes from one row to the next (negative for a bottom-up bitmap).
struct JpegRows {
    std::uint8_t* First = nullptr;
    std::ptrdiff_t Step = 0;
};

// Where ReadImage puts the picture.
class JpegOutput {
public:
    virtual ~JpegOutput() = default;
    // The rows to fill; asked again after every palette change, which may move them.
    virtual JpegRows Rows() = 0;
    // The colours of the 8-bit indices, when the library chose them.
    virtual void TakePalette(const std::vector<JpegPaletteEntry>& entries) = 0;
};

// What a header tells without decoding.
struct JpegHeader {
    int Width = 0;
    int Height = 0;
    bool Gray = false;         // coded in greyscale
    bool Progressive = false;  // several scans
};

class JpegDecompression {
public:
    // Reads the header of `compressed` from its start and applies the settings. Without
    // a monitor the library reports no progress.
    JpegDecompression(TStream& compressed, const JpegDecodeSettings& settings, JpegProgressMonitor* monitor = nullptr);
    ~JpegDecompression();
    JpegDecompression(const JpegDecompression&) = delete;
    JpegDecompression& operator=(const JpegDecompression&) = delete;

    static JpegHeader ReadHeader(TStream& compressed);

    int ImageWidth() const { return static_cast<int>(info_.image_width); }
    int ImageHeight() const { return static_cast<int>(info_.image_height); }
    bool HasMultipleScans() const { return multipleScans_; }
    // The scans are shown one by one as they arrive (ProgressiveRedraw): ReadImage reads
    // them, where otherwise Start reads every scan of a file of several.
    bool BufferedImage() const { return info_.buffered_image; }
    // Rows of palette indices (8-bit output asked, or greyscale output) instead of
    // blue, green, red.
    bool EightBitOutput() const { return info_.quantize_colors; }

    // Makes the library map the colours onto these entries (at most 256 are used; none
    // changes nothing). Before Start, with 8-bit output.
    void UseColourMap(const std::vector<JpegPaletteEntry>& entries);

    // The output size, without starting the decode.
    void CalcOutputDimensions();
    // Starts the decode; refuses an output of more than kMaxOutputBytes before any
    // allocation.
    void Start();
    int OutputWidth() const { return static_cast<int>(info_.output_width); }
    int OutputHeight() const { return static_cast<int>(info_.output_height); }

    void ReadImage(JpegOutput& output);
    void Finish();
    // How many rows from the top have been written by some pass so far; still known
    // after a failure.
    int RowsWritten() const { return static_cast<int>(rowsWritten_); }

    // The largest decoded picture accepted, as the bitmap stores it (rows padded to
    // 4 bytes); also the cap of the library's own working memory.
    static constexpr std::uint64_t kMaxOutputBytes = std::uint64_t{1} << 30;

private:
    template <typename Call>
    void Run(Call&& call) {
        errors_.Run(reinterpret_cast<j_common_ptr>(&info_), call);
    }
    [[noreturn]] void Refuse(int code);

    bool CmykOutput() const;
    void CheckOutputSize();
    std::vector<JpegPaletteEntry> PaletteFromColorMap() const;
    void TakeLibraryPalette(JpegOutput& output);
    void ReadRows(JpegOutput& output);
    void ConvertCmykRow(const JSAMPLE* source, std::uint8_t* destination) const;

    JpegErrorManager errors_;
    JpegStreamSource source_;
    jpeg_decompress_struct info_{};
    bool multipleScans_ = false;
    // The settings of the last pass of a progressive redraw.
    J_DCT_METHOD finalDctMethod_ = JDCT_ISLOW;
    bool finalTwoPass_ = false;
    J_DITHER_MODE finalDitherMode_ = JDITHER_NONE;
    JSAMPARRAY givenColorMap_ = nullptr;
    bool started_ = false;
    JDIMENSION rowsWritten_ = 0;
};

}  // namespace orvalis
