#pragma once
// A table from 24-bit colours to values, for the colours that an image brings (open
// addressing, grown at half full).

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvalis {

template <typename Value>
class ColourMap {
public:
    // Colours not met yet read as `fresh`.
    explicit ColourMap(Value fresh) : fresh_(fresh), slots_(1024, Slot{kEmpty, fresh}) {}

    // The value of `colour`, made `fresh` when the colour is new.
    Value& Entry(std::uint32_t colour) {
        if ((used_ + 1) * 2 > slots_.size()) Grow();
        return Claim(colour);
    }

    // The value of `colour`; null when it was never met.
    const Value* Find(std::uint32_t colour) const {
        for (std::size_t i = SlotOf(colour);; i = (i + 1) & (slots_.size() - 1)) {
            if (slots_[i].colour == colour) return &slots_[i].value;
            if (slots_[i].colour == kEmpty) return nullptr;
        }
    }

private:
    struct Slot {
        std::uint32_t colour;
        Value value;
    };
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;  // never a 24-bit colour

    std::size_t SlotOf(std::uint32_t colour) const { return (colour * 2654435761u) & (slots_.size() - 1); }

    Value& Claim(std::uint32_t colour) {
        std::size_t i = SlotOf(colour);
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
        std::vector<Slot> old(slots_.size() * 2, Slot{kEmpty, fresh_});
        old.swap(slots_);
        used_ = 0;
        for (const Slot& s : old)
            if (s.colour != kEmpty) Claim(s.colour) = s.value;
    }

    Value fresh_;
    std::vector<Slot> slots_;
    std::size_t used_ = 0;
};

}  // namespace orvalis
