#pragma once
// The loading of image files into the main window's bitmaps (unit MainOrvalis): the
// error box of the viewer, the BMP or JPEG loader and the PNG loader. A refused input
// is told to the user in an error box and the routine returns; exceptions of the
// streams, the bitmap and the decoders pass to the caller. Every routine releases what
// it opened before it returns, on every path.

#include <cstdint>

#include "runtime/String.h"

namespace orvalis {

class NextViewPreparation;
class TBitmap;
class TPicture;

// An error box (dkError) with the single button OK; returns the dialog's result.
std::int32_t MessageErreur(const String& message, std::int32_t helpContext);

// Loads the BMP or JPEG file `name` into `target`, choosing the reader by the name's
// extension and the file's first two bytes; returns `target`, or null when nothing was
// loaded. An empty name, a missing file or a folder give null silently; the name
// "Presse-papier" and an unrecognised format are refused in an error box. A file with
// fewer than two bytes raises EReadError; one that cannot be opened, EFileOpenError.
// Given a preparation, a JPEG file that is still the one it read is not decoded again:
// `target` takes the prepared picture (everything else, the opening of the file and its
// two bytes included, happens as without it). When the prepared picture's rows are
// still to be written (a progressive file), `target` and `shown` (the picture that shows
// it, when given) let go of the view first, so that its memory is reused for the rows.
TBitmap* LitBitmap(const String& name, TBitmap& target, NextViewPreparation* prepared = nullptr,
                   TPicture* shown = nullptr);

// Fills `target` with the PNG file `name` as 32-bit pixels 0x00RRGGBB, each the palette
// entry of its index in the PNG step's palette image. A file that cannot be opened or
// is no readable PNG is reported in an error box and leaves `target` unchanged.
// Returns `target`.
TBitmap& LitPNG(const String& name, TBitmap& target);

}  // namespace orvalis
