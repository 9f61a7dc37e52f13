#include "platform/raster/Palette.h"

namespace orvalis::platform::raster {

namespace {

// The 16 system colours, in the order of a 4-bit colour table.
constexpr PaletteEntry kSystemColours[16] = {
    {0x00, 0x00, 0x00, 0}, {0x80, 0x00, 0x00, 0}, {0x00, 0x80, 0x00, 0}, {0x80, 0x80, 0x00, 0},
    {0x00, 0x00, 0x80, 0}, {0x80, 0x00, 0x80, 0}, {0x00, 0x80, 0x80, 0}, {0xC0, 0xC0, 0xC0, 0},
    {0x80, 0x80, 0x80, 0}, {0xFF, 0x00, 0x00, 0}, {0x00, 0xFF, 0x00, 0}, {0xFF, 0xFF, 0x00, 0},
    {0x00, 0x00, 0xFF, 0}, {0xFF, 0x00, 0xFF, 0}, {0x00, 0xFF, 0xFF, 0}, {0xFF, 0xFF, 0xFF, 0},
};

std::vector<PaletteEntry> HalftoneEntries() {
    std::vector<PaletteEntry> entries(std::begin(kSystemColours), std::end(kSystemColours));
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                entries.push_back({std::uint8_t(r * 51), std::uint8_t(g * 51), std::uint8_t(b * 51), 0});
    // 24 greys between the cube's own (multiples of 51), for smooth grey ramps.
    for (int i = 0; i < 24; ++i) {
        const auto grey = std::uint8_t(8 + 10 * i);
        entries.push_back({grey, grey, grey, 0});
    }
    return entries;
}

}  // namespace

Palette::Palette(std::vector<PaletteEntry> entries) : entries_(std::move(entries)) {
    if (entries_.size() > kMaxPaletteEntries) entries_.resize(kMaxPaletteEntries);
}

PaletteHandle CreatePalette(std::span<const PaletteEntry> entries) {
    return std::make_shared<const Palette>(std::vector<PaletteEntry>(entries.begin(), entries.end()));
}

PaletteHandle CopyPalette(const PaletteHandle& palette) {
    return palette ? CreatePalette(palette->Entries()) : nullptr;
}

const PaletteHandle& SystemPalette16() {
    static const PaletteHandle palette = CreatePalette(kSystemColours);
    return palette;
}

PaletteHandle CreateHalftonePalette() { return std::make_shared<const Palette>(HalftoneEntries()); }

RgbQuad ToRgbQuad(const PaletteEntry& entry) { return {entry.peBlue, entry.peGreen, entry.peRed, 0}; }

PaletteEntry ToPaletteEntry(const RgbQuad& quad) { return {quad.rgbRed, quad.rgbGreen, quad.rgbBlue, 0}; }

std::vector<RgbQuad> ColourTableOf(const Palette& palette) {
    std::vector<RgbQuad> table;
    table.reserve(palette.Size());
    for (const PaletteEntry& entry : palette.Entries()) table.push_back(ToRgbQuad(entry));
    return table;
}

std::vector<RgbQuad> DefaultColourTable(int bitCount) {
    switch (bitCount) {
        case 1: return {RgbQuad{0, 0, 0, 0}, RgbQuad{0xFF, 0xFF, 0xFF, 0}};
        case 4: return ColourTableOf(*SystemPalette16());
        default: return ColourTableOf(Palette(HalftoneEntries()));
    }
}

}  // namespace orvalis::platform::raster
