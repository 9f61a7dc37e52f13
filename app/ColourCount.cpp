#include "app/ColourCount.h"

#include <cstdlib>
#include <string>

#include "graphics/Bitmap.h"
#include "runtime/Format.h"

namespace orvalis {
namespace {

constexpr ClasseCouleur kPredefined[] = {
    {30, 30, 30, 31, 31, 31, 0},     {250, 250, 250, 6, 6, 6, 0},     {250, 152, 65, 10, 10, 10, 0},
    {247, 215, 72, 10, 10, 10, 0},   {245, 237, 90, 5, 5, 10, 0},     {244, 244, 68, 5, 5, 10, 0},
    {214, 248, 70, 15, 5, 5, 0},     {195, 248, 86, 10, 10, 10, 0},   {160, 250, 70, 10, 10, 10, 0},
    {156, 246, 149, 10, 10, 10, 0},  {143, 246, 230, 10, 10, 10, 0},  {112, 244, 242, 10, 10, 10, 0},
    {102, 146, 245, 10, 10, 10, 0},  {142, 140, 240, 10, 10, 10, 0},  {183, 144, 244, 10, 10, 10, 0},
    {214, 164, 237, 10, 10, 10, 0},
};

constexpr std::int32_t kNewClassTolerance = 10;
constexpr int kDarkSumLimit = 200;

bool Fits(const ClasseCouleur& k, int red, int green, int blue) {
    return std::abs(k.r - red) < k.ecartR && std::abs(k.v - green) < k.ecartV && std::abs(k.b - blue) < k.ecartB;
}

// What the scan already knows of each colour met: the class it fits, or that it fitted
// none of the first `checked` classes. A colour that fitted class K keeps fitting K, as
// classes never change and new ones go to the end; one that fitted none must only be
// tried against the classes added since. This gives exactly the linear search's result.
class ColourMemo {
public:
    ColourMemo() : slots_(1024) {}

    // The slot of `colour`, made empty-but-claimed when the colour is new.
    std::int64_t& Entry(std::uint32_t colour) {
        if ((used_ + 1) * 2 > slots_.size()) Grow();
        return Claim(colour);
    }

    static constexpr std::int64_t kNew = INT64_MIN;
    // Encodings of a slot value: class index >= 0, or -(checked + 1) when no class fitted.
    static std::int64_t Fitted(int index) { return index; }
    static std::int64_t NoneOf(int checked) { return -static_cast<std::int64_t>(checked) - 1; }

private:
    struct Slot {
        std::uint32_t colour = kEmpty;
        std::int64_t value = kNew;
    };
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;  // never a 24-bit colour

    std::int64_t& Claim(std::uint32_t colour) {
        std::size_t i = (colour * 2654435761u) & (slots_.size() - 1);
        while (slots_[i].colour != colour) {
            if (slots_[i].colour == kEmpty) {
                slots_[i].colour = colour;
                ++used_;
                break;
            }
            i = (i + 1) & (slots_.size() - 1);
        }
        return slots_[i].value;
    }

    void Grow() {
        std::vector<Slot> old(slots_.size() * 2);
        old.swap(slots_);
        used_ = 0;
        for (const Slot& s : old)
            if (s.colour != kEmpty) Claim(s.colour) = s.value;
    }

    std::vector<Slot> slots_;
    std::size_t used_ = 0;
};

}  // namespace

std::vector<ClasseCouleur> PredefinedColourClasses() { return {std::begin(kPredefined), std::end(kPredefined)}; }

std::vector<ClasseCouleur> CountColours(int width, int height, const PixelRowSource& rows) {
    std::vector<ClasseCouleur> classes = PredefinedColourClasses();
    ColourMemo memo;
    std::uint32_t lastColour = 0xFFFFFFFFu;
    int lastClass = -1;  // the class of the previous pixel, when it fitted one

    for (int y = 0; y < height; ++y) {
        const std::uint32_t* row = rows(y);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t colour = row[x] & 0x00FFFFFFu;
            if (colour == lastColour && lastClass >= 0) {
                ++classes[static_cast<std::size_t>(lastClass)].nb;
                continue;
            }
            const int red = static_cast<int>(colour >> 16);
            const int green = static_cast<int>((colour >> 8) & 0xFF);
            const int blue = static_cast<int>(colour & 0xFF);

            std::int64_t& known = memo.Entry(colour);
            int fitted = -1;
            if (known >= 0) {
                fitted = static_cast<int>(known);
            } else {
                const int firstUnchecked = known == ColourMemo::kNew ? 0 : static_cast<int>(-known - 1);
                for (int k = firstUnchecked; k < static_cast<int>(classes.size()); ++k) {
                    if (Fits(classes[static_cast<std::size_t>(k)], red, green, blue)) {
                        fitted = k;
                        break;
                    }
                }
            }
            if (fitted < 0 && red + green + blue >= kDarkSumLimit) {
                classes.push_back({static_cast<std::uint8_t>(red), static_cast<std::uint8_t>(green),
                                   static_cast<std::uint8_t>(blue), kNewClassTolerance, kNewClassTolerance,
                                   kNewClassTolerance, 0});
                fitted = static_cast<int>(classes.size()) - 1;
            }
            lastColour = colour;
            if (fitted >= 0) {
                known = ColourMemo::Fitted(fitted);
                ++classes[static_cast<std::size_t>(fitted)].nb;
                lastClass = fitted;
            } else {
                known = ColourMemo::NoneOf(static_cast<int>(classes.size()));
                ++classes[0].nb;  // dark pixels that fit no class go to the first class
                lastClass = -1;
            }
        }
    }
    return classes;
}

std::vector<ClasseCouleur> CountBitmapColours(TBitmap& bitmap) {
    return CountColours(bitmap.Width(), bitmap.Height(),
                        [&](int y) { return reinterpret_cast<const std::uint32_t*>(bitmap.RowPointer(y)); });
}

String FormatColourReport(const std::vector<ClasseCouleur>& classes) {
    std::string report("\nFin de traitement\n");
    for (std::size_t i = 0; i < classes.size(); ++i) {
        const ClasseCouleur& k = classes[i];
        report += Format("N° %3d r=%3d v=%3d b=%3d nb=%d\n",
                         {static_cast<int>(i) + 1, static_cast<int>(k.r), static_cast<int>(k.v), static_cast<int>(k.b), k.nb})
                      .View();
    }
    return String(report);
}

}  // namespace orvalis
