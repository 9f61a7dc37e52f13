#include "graphics/FileFormats.h"

#include <memory>

#include "graphics/Bitmap.h"
#include "graphics/Icon.h"
#include "graphics/Metafile.h"
#include "runtime/ResourceStrings.h"
#include "runtime/TextConversions.h"

namespace orvalis {

namespace {

struct DefaultFormat {
    std::string_view extension;
    ResId description;
    const TClassInfo& (*graphicClass)();
};

const DefaultFormat kDefaultFormats[] = {
    {"wmf", ResId::MetafilesDescription, &TMetafile::StaticClassInfo},
    {"emf", ResId::EnhancedMetafilesDescription, &TMetafile::StaticClassInfo},
    {"ico", ResId::IconsDescription, &TIcon::StaticClassInfo},
    {"bmp", ResId::BitmapsDescription, &TBitmap::StaticClassInfo},
};

std::unique_ptr<TFileFormatsList>& Registry() {
    static std::unique_ptr<TFileFormatsList> registry;
    return registry;
}

}  // namespace

TFileFormatsList::TFileFormatsList() {
    for (const DefaultFormat& format : kDefaultFormats)
        Add(format.extension, String(LoadResString(format.description)), format.graphicClass());
}

void TFileFormatsList::Add(std::string_view extension, const String& description, const TClassInfo& graphicClass,
                           int descriptionResId) {
    entries_.push_back({&graphicClass, LowerCase(extension), description, descriptionResId});
}

const TClassInfo* TFileFormatsList::LookUpClassByName(std::string_view className) const {
    for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry)
        if (entry->graphicClass->Name() == className) return entry->graphicClass;
    return nullptr;
}

void TFileFormatsList::Remove(const TClassInfo& graphicClass) {
    for (std::size_t i = entries_.size(); i-- > 0;)
        if (entries_[i].graphicClass->InheritsFrom(graphicClass)) entries_.erase(entries_.begin() + std::ptrdiff_t(i));
}

TFileFormatsList& FileFormats() {
    auto& registry = Registry();
    if (!registry) registry = std::make_unique<TFileFormatsList>();
    return *registry;
}

TFileFormatsList* FileFormatsIfMade() { return Registry().get(); }

}  // namespace orvalis
