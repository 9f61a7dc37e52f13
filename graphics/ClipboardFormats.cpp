#include "graphics/ClipboardFormats.h"

#include <memory>

#include "graphics/Bitmap.h"
#include "graphics/Metafile.h"

namespace orvalis {

namespace {

// The platform's clipboard formats of metafiles.
constexpr std::uint16_t CF_METAFILEPICT = 3;
constexpr std::uint16_t CF_ENHMETAFILE = 14;

struct DefaultFormat {
    std::uint16_t format;
    const TClassInfo& (*graphicClass)();
};

const DefaultFormat kDefaultFormats[] = {
    {CF_METAFILEPICT, &TMetafile::StaticClassInfo},
    {CF_ENHMETAFILE, &TMetafile::StaticClassInfo},
    {CF_BITMAP, &TBitmap::StaticClassInfo},
};

std::unique_ptr<TClipboardFormats>& Registry() {
    static std::unique_ptr<TClipboardFormats> registry;
    return registry;
}

}  // namespace

TClipboardFormats::TClipboardFormats() {
    for (const DefaultFormat& format : kDefaultFormats) Add(format.format, format.graphicClass());
}

void TClipboardFormats::Add(std::uint16_t format, const TClassInfo& graphicClass) {
    classes_.push_back(&graphicClass);
    formats_.push_back(format);
}

void TClipboardFormats::Remove(const TClassInfo& graphicClass) {
    for (std::size_t i = classes_.size(); i-- > 0;)
        if (classes_[i]->InheritsFrom(graphicClass)) {
            classes_.erase(classes_.begin() + std::ptrdiff_t(i));
            formats_.erase(formats_.begin() + std::ptrdiff_t(i));
        }
}

TClipboardFormats& ClipboardFormats() {
    auto& registry = Registry();
    if (!registry) registry = std::make_unique<TClipboardFormats>();
    return *registry;
}

TClipboardFormats* ClipboardFormatsIfMade() { return Registry().get(); }

}  // namespace orvalis
