#pragma once
// The PNG decoding step of the colour count: any PNG file becomes a palette image whose
// palette and indices follow fixed rules per kind of file (palette, grey, true colour),
// so that every pixel gets the same colour whatever the file held.

#include <cstdio>
#include <memory>

#include "codecs/GdImage.h"

namespace orvalis::gd {

// Decodes the PNG file that starts at the current position of `file` (opened "rb"); the
// file stays open. Returns null on any failure: a file that is not PNG silently, any
// other failure with lines beginning "gd-png" on standard error. Warnings (an alpha
// channel dropped, a transparency that the palette image cannot express, libpng's own)
// go to standard error too and do not stop the decoding.
std::unique_ptr<gdImage> gdImageCreateFromPng(std::FILE* file);

// Why a decode gave no image, for a caller that tells the user which.
enum class PngFailure {
    None,        // an image was returned
    Unreadable,  // no PNG, a damaged one, or memory that ran out
    TooLarge,    // a picture whose 32-bit pixels would pass the raster layer's bound,
                 // refused from the header before any pixel is read
};
// The same decode, with the reason for a null result in `failure`.
std::unique_ptr<gdImage> gdImageCreateFromPng(std::FILE* file, PngFailure& failure);

}  // namespace orvalis::gd
