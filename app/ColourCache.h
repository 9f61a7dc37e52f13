#pragma once
// A small direct-mapped cache of colour -> value (1024 entries, 8 KiB), looked at for
// each run of one colour before a slower table: runs of a photograph come back to few
// colours, and a hit costs one load and one compare.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvalis {

class ColourCache {
public:
    ColourCache() : entries_(kSize, Entry{kNoColour, 0}) {}

    // The value cached for `colour`; null when it is not cached.
    const std::int32_t* Find(std::uint32_t colour) const {
        const Entry& entry = entries_[SlotOf(colour)];
        return entry.colour == colour ? &entry.value : nullptr;
    }

    // Caches `value` for `colour`, in place of the colour that had its slot.
    void Put(std::uint32_t colour, std::int32_t value) { entries_[SlotOf(colour)] = {colour, value}; }

    // Drops every colour whose value `drop` picks.
    template <typename Predicate>
    void DropWhere(Predicate drop) {
        for (Entry& entry : entries_)
            if (drop(entry.value)) entry.colour = kNoColour;
    }

private:
    static constexpr std::uint32_t kNoColour = 0xFFFFFFFFu;  // never a 24-bit colour
    static constexpr int kBits = 10;
    static constexpr std::size_t kSize = std::size_t(1) << kBits;

    struct Entry {
        std::uint32_t colour;
        std::int32_t value;
    };

    static std::size_t SlotOf(std::uint32_t colour) { return (colour * 2654435761u) >> (32 - kBits); }

    std::vector<Entry> entries_;
};

}  // namespace orvalis
