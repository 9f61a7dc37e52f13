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

}  // namespace orvalis::gd
