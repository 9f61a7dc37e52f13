#pragma once
// The clipboard-format registry: which graphic class takes which platform clipboard
// format. The process-wide ClipboardFormats() is made on first use with the formats of
// the graphics layer: 3 (metafile picture) and 14 (enhanced metafile) for TMetafile,
// 2 (bitmap) for TBitmap.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "classes/ClassInfo.h"

namespace orvalis {

class TClipboardFormats {
public:
    TClipboardFormats();

    void Add(std::uint16_t format, const TClassInfo& graphicClass);
    // Every pair whose class is that class or derives from it, from the last to the first.
    void Remove(const TClassInfo& graphicClass);

    std::size_t Count() const { return classes_.size(); }
    const TClassInfo& GraphicClass(std::size_t index) const { return *classes_.at(index); }
    std::uint16_t Format(std::size_t index) const { return formats_.at(index); }

private:
    // Two parallel lists.
    std::vector<const TClassInfo*> classes_;
    std::vector<std::uint16_t> formats_;
};

// The process-wide registry, made on first use.
TClipboardFormats& ClipboardFormats();
// The registry when it has been made; null otherwise.
TClipboardFormats* ClipboardFormatsIfMade();

}  // namespace orvalis
