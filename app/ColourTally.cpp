#include "app/ColourTally.h"

#include <algorithm>
#include <exception>
#include <thread>
#include <utility>

#include "app/ColourCache.h"
#include "app/ColourClassRules.h"
#include "app/ColourMap.h"
#include "app/PixelRuns.h"

namespace orvalis {
namespace {

// What a band knows of a colour. Positions are y * width + x in the whole image.
struct ColourTally {
    std::uint32_t colour;
    std::int64_t first;
    std::int64_t last;
    std::int64_t count;
};

constexpr std::int32_t kNotMet = -1;

// The tallies of one band, in the order its colours first appear. A run's colour goes
// to a small direct-mapped cache of colour -> tally first, the colour map on a miss.
class BandTally {
public:
    BandTally() : indices_(kNotMet) {}

    void TallyRow(const std::uint32_t* row, int width, std::int64_t rowStart) {
        if (width <= 0) return;
        int runStart = 0;
        std::int32_t current = IndexOf(row[0] & kColourBits, rowStart);
        const auto endRun = [&](int end) {
            ColourTally& tally = tallies_[static_cast<std::size_t>(current)];
            tally.count += end - runStart;
            tally.last = rowStart + end - 1;
        };
        ForEachRunStart(row, width, [&](int start) {
            endRun(start);
            runStart = start;
            current = IndexOf(row[start] & kColourBits, rowStart + start);
        });
        endRun(width);
    }

    std::vector<ColourTally>& Tallies() { return tallies_; }
    ColourMap<std::int32_t>& Indices() { return indices_; }

private:
    std::int32_t IndexOf(std::uint32_t colour, std::int64_t position) {
        if (const std::int32_t* index = cache_.Find(colour)) return *index;
        return Remember(colour, position);
    }

    // Kept out of the scan's loop, which it would crowd.
    [[gnu::noinline]] std::int32_t Remember(std::uint32_t colour, std::int64_t position) {
        std::int32_t& index = indices_.Entry(colour);
        if (index == kNotMet) {
            index = static_cast<std::int32_t>(tallies_.size());
            tallies_.push_back({colour, position, position, 0});
        }
        cache_.Put(colour, index);
        return index;
    }

    std::vector<ColourTally> tallies_;
    ColourMap<std::int32_t> indices_;
    ColourCache cache_;
};

// The bands' tallies as one, in the order the colours first appear in the image: a
// later band's colours that an earlier band met add to its tally.
std::vector<ColourTally> Merge(std::vector<BandTally>& bands) {
    std::vector<ColourTally> all = std::move(bands.front().Tallies());
    ColourMap<std::int32_t>& where = bands.front().Indices();
    for (std::size_t b = 1; b < bands.size(); ++b) {
        for (const ColourTally& tally : bands[b].Tallies()) {
            std::int32_t& index = where.Entry(tally.colour);
            if (index == kNotMet) {
                index = static_cast<std::int32_t>(all.size());
                all.push_back(tally);
                continue;
            }
            ColourTally& known = all[static_cast<std::size_t>(index)];
            known.count += tally.count;
            known.last = tally.last;
        }
    }
    return all;
}

// A dark colour can fit a class made later only when its sum lies this close to the
// limit: a made class's colour is light, and within the tolerance on each channel.
constexpr int kDarkestThatAMadeClassFits = kDarkSumLimit - 3 * (kNewClassTolerance - 1);
// Past this many checks of dark colours against made classes, the count in order is
// the faster.
constexpr std::int64_t kMostPendingChecks = std::int64_t(1) << 22;

// The classes, the tallies read in order of first appearance; none when a made class
// fits a dark colour that has pixels after it was made.
std::optional<std::vector<ClasseCouleur>> Classify(const std::vector<ColourTally>& tallies) {
    std::vector<ClasseCouleur> classes = PredefinedColourClasses();
    // The dark colours that fitted no class and that a class made later could fit.
    std::vector<const ColourTally*> pending;
    std::int64_t checks = 0;
    for (const ColourTally& tally : tallies) {
        const int red = PixelRed(tally.colour), green = PixelGreen(tally.colour), blue = PixelBlue(tally.colour);
        const auto fitting = std::find_if(classes.begin(), classes.end(),
                                          [&](const ClasseCouleur& k) { return Fits(k, red, green, blue); });
        if (fitting != classes.end()) {
            fitting->nb += static_cast<std::int32_t>(tally.count);
            continue;
        }
        if (IsDark(tally.colour)) {
            classes.front().nb += static_cast<std::int32_t>(tally.count);
            if (red + green + blue >= kDarkestThatAMadeClassFits) pending.push_back(&tally);
            continue;
        }
        classes.push_back(NewClassFor(tally.colour));
        classes.back().nb = static_cast<std::int32_t>(tally.count);
        // Dark colours whose pixels are all behind this one have nothing left to move.
        std::erase_if(pending, [&](const ColourTally* dark) { return dark->last < tally.first; });
        checks += static_cast<std::int64_t>(pending.size());
        if (checks > kMostPendingChecks) return std::nullopt;
        for (const ColourTally* dark : pending)
            if (Fits(classes.back(), PixelRed(dark->colour), PixelGreen(dark->colour), PixelBlue(dark->colour)))
                return std::nullopt;
    }
    return classes;
}

}  // namespace

std::optional<std::vector<ClasseCouleur>> CountColoursInBands(int width, std::span<const std::uint32_t* const> rows,
                                                              int bands) {
    const int height = static_cast<int>(rows.size());
    bands = std::clamp(bands, 1, std::max(height, 1));
    std::vector<BandTally> tallies(static_cast<std::size_t>(bands));
    std::vector<std::exception_ptr> failures(static_cast<std::size_t>(bands));
    const auto tallyBand = [&](int band) {
        try {
            BandTally& tally = tallies[static_cast<std::size_t>(band)];
            for (int y = height * band / bands; y < height * (band + 1) / bands; ++y)
                tally.TallyRow(rows[static_cast<std::size_t>(y)], width, std::int64_t(y) * width);
        } catch (...) {
            failures[static_cast<std::size_t>(band)] = std::current_exception();
        }
    };
    {
        // Joined on the way out, whatever happens.
        std::vector<std::jthread> workers;
        for (int band = 1; band < bands; ++band) workers.emplace_back(tallyBand, band);
        tallyBand(0);
    }
    for (const std::exception_ptr& failure : failures)
        if (failure) std::rethrow_exception(failure);
    return Classify(Merge(tallies));
}

}  // namespace orvalis
