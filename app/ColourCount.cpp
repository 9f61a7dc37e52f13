#include "app/ColourCount.h"

#include <algorithm>
#include <string>
#include <thread>

#include "app/ColourCache.h"
#include "app/ColourClassRules.h"
#include "app/ColourMap.h"
#include "app/ColourTally.h"
#include "app/PixelRuns.h"
#include "graphics/Bitmap.h"
#include "runtime/Format.h"

namespace orvalis {
namespace {

constexpr ClasseCouleur kPredefined[] = {
    {30, 30, 30, 31, 31, 31, 0},    {250, 250, 250, 6, 6, 6, 0},    {250, 152, 65, 10, 10, 10, 0},
    {247, 215, 72, 10, 10, 10, 0},  {245, 237, 90, 5, 5, 10, 0},    {244, 244, 68, 5, 5, 10, 0},
    {214, 248, 70, 15, 5, 5, 0},    {195, 248, 86, 10, 10, 10, 0},  {160, 250, 70, 10, 10, 10, 0},
    {156, 246, 149, 10, 10, 10, 0}, {143, 246, 230, 10, 10, 10, 0}, {112, 244, 242, 10, 10, 10, 0},
    {102, 146, 245, 10, 10, 10, 0}, {142, 140, 240, 10, 10, 10, 0}, {183, 144, 244, 10, 10, 10, 0},
    {214, 164, 237, 10, 10, 10, 0},
};

// What the scan already knows of each colour met (the colour map's value): the class it
// fits, or that it fitted none of the first `checked` classes. A colour that fitted class
// K keeps fitting K, as classes never change and new ones go to the end; one that fitted
// none must only be tried against the classes added since. This gives exactly the linear
// search's result.
namespace memo {
constexpr std::int64_t kNew = INT64_MIN;
// Encodings of a value: class index >= 0, or -(checked + 1) when no class fitted.
inline std::int64_t Fitted(int index) { return index; }
inline std::int64_t NoneOf(int checked) { return -static_cast<std::int64_t>(checked) - 1; }
}  // namespace memo

// The scan in order, one row after the other: each run of one colour is classified once
// and counted as a whole. A run's colour goes to a small direct-mapped cache of colour ->
// counting class first, the memo only on a miss. A colour whose class is final (it
// fitted one) stays cached; one that fitted none is dropped from the cache when a class
// is added, as it must then be tried again.
class ColourCounter {
public:
    ColourCounter() : classes_(PredefinedColourClasses()), memo_(memo::kNew) {}

    void CountRow(const std::uint32_t* row, int width) {
        if (width <= 0) return;
        int runStart = 0;
        int runClass = ClassOf(row[0] & kColourBits);
        // Runs of neighbouring colours often fall in one class: the count is added only
        // when the class changes, which keeps the add out of most runs.
        ForEachRunStart(row, width, [&](int start) {
            const int fitted = ClassOf(row[start] & kColourBits);
            if (fitted == runClass) return;
            classes_[static_cast<std::size_t>(runClass)].nb += start - runStart;
            runStart = start;
            runClass = fitted;
        });
        classes_[static_cast<std::size_t>(runClass)].nb += width - runStart;
    }

    std::vector<ClasseCouleur> TakeClasses() { return std::move(classes_); }

private:
    // The cache's value for a colour that fits no class (the first class counts it).
    static constexpr std::int32_t kFitsNone = -1;

    // The class that counts a pixel of this colour now.
    int ClassOf(std::uint32_t colour) {
        if (const std::int32_t* fitted = cache_.Find(colour)) return *fitted != kFitsNone ? *fitted : 0;
        return Classify(colour);
    }

    // The memo and, for what it does not know, the linear search from the first class
    // not yet tried; a new class when nothing fits and the colour is light enough. Kept
    // out of the scan's loop, which it would crowd: it runs for a colour's first runs.
    [[gnu::noinline]] int Classify(std::uint32_t colour) {
        const int red = PixelRed(colour), green = PixelGreen(colour), blue = PixelBlue(colour);
        std::int64_t& known = memo_.Entry(colour);
        int fitted = -1;
        if (known >= 0) {
            fitted = static_cast<int>(known);
        } else {
            const int firstUnchecked = known == memo::kNew ? 0 : static_cast<int>(-known - 1);
            for (int k = firstUnchecked; k < static_cast<int>(classes_.size()); ++k) {
                if (Fits(classes_[static_cast<std::size_t>(k)], red, green, blue)) {
                    fitted = k;
                    break;
                }
            }
        }
        if (fitted < 0 && !IsDark(colour)) {
            classes_.push_back(NewClassFor(colour));
            fitted = static_cast<int>(classes_.size()) - 1;
            ForgetUnfittedColours();
        }
        if (fitted >= 0) {
            known = memo::Fitted(fitted);
            cache_.Put(colour, fitted);
            return fitted;
        }
        known = memo::NoneOf(static_cast<int>(classes_.size()));
        cache_.Put(colour, kFitsNone);  // dark pixels that fit no class count in the first class
        return 0;
    }

    void ForgetUnfittedColours() {
        cache_.DropWhere([](std::int32_t fitted) { return fitted == kFitsNone; });
    }

    std::vector<ClasseCouleur> classes_;
    ColourMap<std::int64_t> memo_;
    ColourCache cache_;
};

// Below this many pixels a count takes less than a thread takes to start.
constexpr std::int64_t kFewestPixelsInBands = std::int64_t(1) << 20;
constexpr unsigned kMostBands = 4;

int BandsFor(int width, int height) {
    if (std::int64_t(width) * height < kFewestPixelsInBands) return 1;
    return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, kMostBands));
}

}  // namespace

std::vector<ClasseCouleur> PredefinedColourClasses() { return {std::begin(kPredefined), std::end(kPredefined)}; }

std::vector<ClasseCouleur> CountColours(int width, int height, const PixelRowSource& rows) {
    ColourCounter counter;
    const int bands = BandsFor(width, height);
    if (bands == 1) {
        for (int y = 0; y < height; ++y) counter.CountRow(rows(y), width);
        return counter.TakeClasses();
    }
    // The rows are asked for here, on this thread: the source may be a bitmap's.
    std::vector<const std::uint32_t*> rowPointers(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) rowPointers[static_cast<std::size_t>(y)] = rows(y);
    if (std::optional<std::vector<ClasseCouleur>> classes = CountColoursInBands(width, rowPointers, bands))
        return std::move(*classes);
    for (const std::uint32_t* row : rowPointers) counter.CountRow(row, width);
    return counter.TakeClasses();
}

std::vector<ClasseCouleur> CountBitmapColours(TBitmap& bitmap) {
    return CountColours(bitmap.Width(), bitmap.Height(),
                        [&](int y) { return reinterpret_cast<const std::uint32_t*>(bitmap.ReadOnlyRowPointer(y)); });
}

String FormatColourReport(const std::vector<ClasseCouleur>& classes) {
    std::string report("\nFin de traitement\n");
    for (std::size_t i = 0; i < classes.size(); ++i) {
        const ClasseCouleur& k = classes[i];
        report += Format("N° %3d r=%3d v=%3d b=%3d nb=%d\n", {static_cast<int>(i) + 1, static_cast<int>(k.r),
                                                              static_cast<int>(k.v), static_cast<int>(k.b), k.nb})
                      .View();
    }
    return String(report);
}

}  // namespace orvalis
