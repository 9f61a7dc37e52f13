#include "app/ColourCount.h"

#include <bit>
#include <cstdlib>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

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

// The scan itself. Pixels come in runs of one colour (77 % of the pixels of a photograph
// opened through LitPNG repeat the one before): a row is read as runs, found 64 pixels
// at a time, and each run is classified once and counted as a whole. A run's colour
// goes to a small direct-mapped cache of colour -> counting class first, the memo only
// on a miss. A colour whose class is final (it fitted one) stays cached; one that fitted
// none is dropped from the cache when a class is added, as it must then be tried again.
class ColourCounter {
public:
    ColourCounter() : classes_(PredefinedColourClasses()), cache_(kCacheSize, CacheEntry{kNoColour, 0}) {}

    void CountRow(const std::uint32_t* row, int width) {
        if (width <= 0) return;
        int runStart = 0;
        int runClass = ClassOf(row[0] & kColourBits);
        int x = 1;
        // Runs of neighbouring colours often fall in one class: the count is added only
        // when the class changes, which keeps the add out of most runs.
        const auto runAt = [&](int start) {
            const int fitted = ClassOf(row[start] & kColourBits);
            if (fitted == runClass) return;
            classes_[static_cast<std::size_t>(runClass)].nb += start - runStart;
            runStart = start;
            runClass = fitted;
        };
        const RunStartsFinder runStarts = RunStartsOfBlock();
        for (; x + kBlock <= width; x += kBlock)
            for (std::uint64_t starts = runStarts(row + x); starts != 0; starts &= starts - 1)
                runAt(x + std::countr_zero(starts));
        for (; x < width; ++x)
            if (((row[x] ^ row[x - 1]) & kColourBits) != 0) runAt(x);
        classes_[static_cast<std::size_t>(runClass)].nb += width - runStart;
    }

    std::vector<ClasseCouleur> TakeClasses() { return std::move(classes_); }

private:
    static constexpr std::uint32_t kColourBits = 0x00FFFFFFu;
    static constexpr std::uint32_t kNoColour = 0xFFFFFFFFu;  // never a 24-bit colour
    static constexpr int kBlock = 64;
    static constexpr int kCacheBits = 10;
    static constexpr std::size_t kCacheSize = std::size_t(1) << kCacheBits;

    struct CacheEntry {
        std::uint32_t colour;
        std::int32_t fitted;  // the class the colour fits; -1 when it fits none (the first class counts it)
    };

    // Bit i: pixel i of the block starts a run (its colour differs from the pixel before
    // it, which is pixels[-1] for bit 0).
    using RunStartsFinder = std::uint64_t (*)(const std::uint32_t* pixels);
    static std::uint64_t RunStarts(const std::uint32_t* pixels) {
        std::uint64_t starts = 0;
#if defined(__SSE2__)
        const __m128i colourBits = _mm_set1_epi32(static_cast<int>(kColourBits));
        const __m128i zero = _mm_setzero_si128();
        for (int i = 0; i < kBlock; i += 4) {
            const __m128i these = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + i));
            const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + i - 1));
            const __m128i same = _mm_cmpeq_epi32(_mm_and_si128(_mm_xor_si128(these, before), colourBits), zero);
            starts |= static_cast<std::uint64_t>(_mm_movemask_ps(_mm_castsi128_ps(same)) ^ 0xF) << i;
        }
#else
        for (int i = 0; i < kBlock; ++i)
            starts |= static_cast<std::uint64_t>(((pixels[i] ^ pixels[i - 1]) & kColourBits) != 0) << i;
#endif
        return starts;
    }
#if defined(__x86_64__)
    // The same, eight pixels per compare, where the processor has AVX2.
    [[gnu::target("avx2")]] static std::uint64_t RunStartsWide(const std::uint32_t* pixels) {
        std::uint64_t starts = 0;
        const __m256i colourBits = _mm256_set1_epi32(static_cast<int>(kColourBits));
        const __m256i zero = _mm256_setzero_si256();
        for (int i = 0; i < kBlock; i += 8) {
            const __m256i these = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels + i));
            const __m256i before = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels + i - 1));
            const __m256i same = _mm256_cmpeq_epi32(_mm256_and_si256(_mm256_xor_si256(these, before), colourBits), zero);
            starts |= static_cast<std::uint64_t>(_mm256_movemask_ps(_mm256_castsi256_ps(same)) ^ 0xFF) << i;
        }
        return starts;
    }
#endif
    static RunStartsFinder RunStartsOfBlock() {
#if defined(__x86_64__)
        static const bool wide = __builtin_cpu_supports("avx2");
        if (wide) return &RunStartsWide;
#endif
        return &RunStarts;
    }

    static std::size_t CacheSlot(std::uint32_t colour) { return (colour * 2654435761u) >> (32 - kCacheBits); }

    // The class that counts a pixel of this colour now.
    int ClassOf(std::uint32_t colour) {
        const CacheEntry& entry = cache_[CacheSlot(colour)];
        if (entry.colour == colour) return entry.fitted >= 0 ? entry.fitted : 0;
        return Classify(colour);
    }

    // The memo and, for what it does not know, the linear search from the first class
    // not yet tried; a new class when nothing fits and the colour is light enough. Kept
    // out of the scan's loop, which it would crowd: it runs for a colour's first runs.
    [[gnu::noinline]] int Classify(std::uint32_t colour) {
        const int red = static_cast<int>(colour >> 16);
        const int green = static_cast<int>((colour >> 8) & 0xFF);
        const int blue = static_cast<int>(colour & 0xFF);
        std::int64_t& known = memo_.Entry(colour);
        int fitted = -1;
        if (known >= 0) {
            fitted = static_cast<int>(known);
        } else {
            const int firstUnchecked = known == ColourMemo::kNew ? 0 : static_cast<int>(-known - 1);
            for (int k = firstUnchecked; k < static_cast<int>(classes_.size()); ++k) {
                if (Fits(classes_[static_cast<std::size_t>(k)], red, green, blue)) {
                    fitted = k;
                    break;
                }
            }
        }
        if (fitted < 0 && red + green + blue >= kDarkSumLimit) {
            classes_.push_back({static_cast<std::uint8_t>(red), static_cast<std::uint8_t>(green),
                                static_cast<std::uint8_t>(blue), kNewClassTolerance, kNewClassTolerance,
                                kNewClassTolerance, 0});
            fitted = static_cast<int>(classes_.size()) - 1;
            ForgetUnfittedColours();
        }
        CacheEntry& entry = cache_[CacheSlot(colour)];
        entry.colour = colour;
        if (fitted >= 0) {
            known = ColourMemo::Fitted(fitted);
            entry.fitted = fitted;
            return fitted;
        }
        known = ColourMemo::NoneOf(static_cast<int>(classes_.size()));
        entry.fitted = -1;  // dark pixels that fit no class count in the first class
        return 0;
    }

    void ForgetUnfittedColours() {
        for (CacheEntry& entry : cache_)
            if (entry.fitted < 0) entry.colour = kNoColour;
    }

    std::vector<ClasseCouleur> classes_;
    ColourMemo memo_;
    std::vector<CacheEntry> cache_;
};

}  // namespace

std::vector<ClasseCouleur> PredefinedColourClasses() { return {std::begin(kPredefined), std::end(kPredefined)}; }

std::vector<ClasseCouleur> CountColours(int width, int height, const PixelRowSource& rows) {
    ColourCounter counter;
    for (int y = 0; y < height; ++y) counter.CountRow(rows(y), width);
    return counter.TakeClasses();
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
