#pragma once
// A JPEG file decoded away from the user-interface thread: the 24-bit picture that a
// JPEG image with the same settings decodes to (TJPEGImage::DecodeToBitmap), its rows
// written straight by the library into memory of its own. Nothing that belongs to the
// user-interface thread is touched: no bitmap, palette, clock or progress event. The
// finished picture is handed to a bitmap on the user-interface thread, which then holds
// what copying the decoded JPEG image into it would have left.
//
// A file of several scans (progressive) is decoded in two steps. Before its first row
// the library reads every scan into a buffer of the whole picture's coefficients (two
// bytes a sample: 300 MB for 10000 x 10000 in 4:2:0), and the rows are made from it
// only then. Coefficients, the new picture and the view it replaces would not fit in a
// view's memory together; so the preparation stops once every scan is read, and the
// rows are written when the view is replaced, after it has let go of its picture, whose
// pages the new one takes (DibImage::CreateUnfilled). A file of one scan needs no such
// buffer and is decoded whole at once.

#include <atomic>
#include <memory>

#include "codecs/JpegDecompression.h"
#include "codecs/JpegProgressMonitor.h"
#include "codecs/JpegSettings.h"
#include "platform/raster/DibImage.h"
#include "runtime/Stream.h"

namespace orvalis {

class TBitmap;

class PreparedJpegPicture {
public:
    // Decodes `compressed` from its start as far as it may before the view it replaces
    // goes (above). None when the settings give 8-bit rows (their palette is a platform
    // object). Raises EJPEG for a file the library refuses, EOutOfResources when the
    // picture cannot be made, and EAbort as soon as `cancel` is set (checked between
    // rows, and between the scans' rows while they are read).
    static std::unique_ptr<PreparedJpegPicture> Decode(std::unique_ptr<TStream> compressed,
                                                       const JpegDecodeSettings& settings,
                                                       const std::atomic<bool>& cancel);
    ~PreparedJpegPicture();
    PreparedJpegPicture(const PreparedJpegPicture&) = delete;
    PreparedJpegPicture& operator=(const PreparedJpegPicture&) = delete;

    // The rows are still to be written: the coefficients of the whole picture are held,
    // and Finish makes the picture. The picture it replaces is best let go of first.
    bool RowsPending() const { return decoder_ != nullptr; }
    // The picture, its rows written first when pending (then raising as a decode does:
    // EJPEG, EOutOfResources). Once, on the thread that holds the picture now; the
    // cancel flag of Decode no longer counts.
    std::unique_ptr<platform::raster::DibImage> Finish();

private:
    PreparedJpegPicture(std::unique_ptr<TStream> compressed, const JpegDecodeSettings& settings,
                        const std::atomic<bool>& cancel);
    void WriteRows();

    std::unique_ptr<TStream> compressed_;  // the library's source until the rows are written
    JpegProgressMonitor monitor_;
    std::unique_ptr<JpegDecompression> decoder_;  // while the rows are pending
    std::unique_ptr<platform::raster::DibImage> picture_;
};

// `target` shares a bitmap that holds `picture` (a finished prepared picture), as after
// target.CopyFromObject of the JPEG image that decoded it.
void AdoptJpegPicture(TBitmap& target, std::unique_ptr<platform::raster::DibImage> picture);

}  // namespace orvalis
