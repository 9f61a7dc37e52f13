#pragma once
// The settings of a JPEG image that decide how it is decoded and encoded.

#include <cstdint>

namespace orvalis {

enum TJPEGOutputDepth : std::uint8_t { od24Bit = 0, od8Bit = 1 };
enum TJPEGDecodeMode : std::uint8_t { dmBestQuality = 0, dmBestSpeed = 1 };
// The decoder divides each dimension by 2 to the power of the value.
enum TJPEGOutputScale : std::uint8_t { osFull = 0, osHalf = 1, osQuarter = 2, osEighth = 3 };

struct JpegDecodeSettings {
    TJPEGOutputScale OutputScale = osFull;
    bool BlockSmoothing = true;
    bool GrayOutput = false;
    TJPEGOutputDepth OutputDepth = od24Bit;
    TJPEGDecodeMode DecodeMode = dmBestQuality;
    // Shows a progressive file scan by scan while it decodes.
    bool ProgressiveRedraw = false;
};

struct JpegEncodeSettings {
    int Quality = 90;  // 1..100
    bool GrayOutput = false;
    bool Progressive = false;
};

}  // namespace orvalis
