#include "app/ImageLoading.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <memory>

#include "app/FileNames.h"
#include "app/NextViewPreparation.h"
#include "app/ViewerTexts.h"
#include "codecs/DecodedPicture.h"
#include "codecs/GdPng.h"
#include "codecs/JPEGImage.h"
#include "codecs/JpegPictureDecode.h"
#include "framework/MessageDialog.h"
#include "graphics/Bitmap.h"
#include "graphics/Picture.h"
#include "platform/FileTests.h"
#include "platform/raster/BitmapInfo.h"
#include "runtime/FileStream.h"
#include "runtime/Format.h"
#include "runtime/RegularFile.h"
#include "runtime/ResourceStrings.h"

namespace orvalis {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using InputFile = std::unique_ptr<std::FILE, FileCloser>;

// The largest file taken for a picture: the largest decoded picture the raster layer
// makes (1 GiB) and 1 MiB of headers, palette and metadata. A JPEG or PNG file is far
// smaller than its picture and a BMP file holds its pixels as they are, so a larger
// file cannot be a picture that could be shown; it is refused before a byte is read
// (reading it whole would take minutes, and memory that runs out).
constexpr std::int64_t kLargestPictureFileBytes = raster::kMaxPixelBytes + (std::int64_t(1) << 20);

bool IsJpegExtension(const String& extension) { return extension == "JPG" || extension == "JPEG"; }

void RefuseTooLarge(const String& name) { MessageErreur(Format(texts::kFileTooLarge, {name}), 0); }

// The two first bytes as the refusal shows them: each a signed byte widened to 32 bits,
// in upper-case hexadecimal ("FFFFFF89-50" for a PNG file).
String SignatureText(const std::uint8_t (&bytes)[2]) {
    return Format("%X-%X", {static_cast<int>(static_cast<std::int8_t>(bytes[0])),
                            static_cast<int>(static_cast<std::int8_t>(bytes[1]))});
}

}  // namespace

std::int32_t MessageErreur(const String& message, std::int32_t helpContext) {
    return ShowMessageDialog(message.View(), dkError, DialogButtons({dbOK}), helpContext);
}

TBitmap* LitBitmap(const String& name, TBitmap& target, NextViewPreparation* prepared, TPicture* shown) {
    if (name.IsEmpty()) return nullptr;
    if (name == texts::kClipboardName) {
        MessageErreur(String(texts::kClipboardRefused), 0);
        return nullptr;
    }
    if (!platform::FileExists(name.View())) return nullptr;

    // Opened exclusively, as the reader of the whole file; released on every path.
    auto stream = std::make_unique<TFileStream>(name, fmOpenRead | fmShareExclusive);
    if (stream->Size() > kLargestPictureFileBytes) {
        stream.reset();
        RefuseTooLarge(name);
        return nullptr;
    }
    const String extension = ExtensionFichier(name);
    std::uint8_t signature[2];
    stream->ReadBuffer(signature, sizeof signature);

    if (extension == "BMP" && std::toupper(signature[0]) == 'B' && std::toupper(signature[1]) == 'M') {
        // The BMP reader opens the file by name: the exclusive stream would refuse it.
        stream.reset();
        TBitmap temporary;
        temporary.LoadFile(name);
        target.CopyFromObject(&temporary);
        return &target;
    }
    if (IsJpegExtension(extension) && signature[0] == 0xFF && signature[1] == 0xD8) {
        if (prepared) {
            if (auto picture = prepared->Take(name, stream->Descriptor())) {
                // The coefficients of the whole picture are held: the view goes before
                // the rows are made, which then take its pages, as a view's memory
                // cannot hold coefficients and two pictures at once (docs/viewer.md).
                if (picture->RowsPending()) {
                    if (shown) shown->CopyFromObject(nullptr);
                    target.CopyFromObject(nullptr);
                }
                AdoptJpegPicture(target, picture->Finish());
                return &target;
            }
        }
        stream->SetPosition(0);
        TJPEGImage jpeg;
        jpeg.LoadStream(*stream);
        target.CopyFromObject(&jpeg);  // decodes
        return &target;
    }
    // Released before the box, so that the file is free while the user reads it.
    stream.reset();
    MessageErreur(String(texts::kUnknownFormatStart) + SignatureText(signature) + ")", 0);
    return nullptr;
}

TBitmap& LitPNG(const String& name, TBitmap& target) {
    // Opened as "rb" would, but never waiting on a pipe or a device, which are refused.
    FileDescriptor descriptor = OpenRegularFile(name.CStr(), O_RDONLY);
    InputFile file(descriptor.IsOpen() ? ::fdopen(descriptor.Get(), "rb") : nullptr);
    if (!file) {
        descriptor = FileDescriptor();  // closed before the box, so that the file is free meanwhile
        MessageErreur(Format(LoadResString(ResId::FileOpen), {name}), 0);
        return target;
    }
    descriptor.Release();  // the stream closes the file from now on
    struct stat info {};
    if (::fstat(::fileno(file.get()), &info) == 0 && info.st_size > kLargestPictureFileBytes) {
        file.reset();
        RefuseTooLarge(name);
        return target;
    }
    gd::PngFailure failure = gd::PngFailure::None;
    std::unique_ptr<gd::gdImage> image = gd::gdImageCreateFromPng(file.get(), failure);
    file.reset();
    if (failure == gd::PngFailure::TooLarge) {
        RefuseTooLarge(name);
        return target;
    }
    if (!image) {
        MessageErreur(Format(texts::kPngUnreadable, {name}), 0);
        return target;
    }

    // The 32-bit picture that setting the layout and size would make, without its white
    // fill: every pixel is written below. Each palette entry is made a pixel word once.
    TBitmap temporary;
    temporary.SetHandle(NewDecodedPicture(image->sx, image->sy, 32));
    std::array<std::uint32_t, gd::gdMaxColors> words;
    for (std::size_t k = 0; k < words.size(); ++k)
        words[k] = static_cast<std::uint32_t>((image->red[k] & 0xFF) << 16 | (image->green[k] & 0xFF) << 8 |
                                              (image->blue[k] & 0xFF));
    for (int y = 0; y < image->sy; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(temporary.RowPointer(y));
        const std::uint8_t* indices = image->pixels[static_cast<std::size_t>(y)];
        for (int x = 0; x < image->sx; ++x) row[x] = words[indices[x]];
    }
    gd::gdImageDestroy(std::move(image));
    target.CopyFromObject(&temporary);
    return target;
}

}  // namespace orvalis
