#pragma once
// The file-format registry: which graphic class reads files of which extension, with a
// description for file dialogs. The process-wide FileFormats() is made on first use with
// the formats of the graphics layer; other layers add theirs (the JPEG image adds
// "jpeg" and "jpg"). The picture's form property "Data" finds its graphic's class here,
// by class name.

#include <cstddef>
#include <string_view>
#include <vector>

#include "classes/ClassInfo.h"
#include "runtime/String.h"

namespace orvalis {

struct TFileFormat {
    const TClassInfo* graphicClass = nullptr;
    String extension;  // lower case
    String description;
    int descriptionResId = 0;  // always 0: the description is the text itself
};

class TFileFormatsList {
public:
    // The formats of the graphics layer: "wmf", "emf" (TMetafile), "ico" (TIcon), "bmp"
    // (TBitmap), with their French descriptions.
    TFileFormatsList();

    // The extension is stored in lower case.
    void Add(std::string_view extension, const String& description, const TClassInfo& graphicClass,
             int descriptionResId = 0);
    // The last entry whose class name is exactly `className` (letter case counts).
    const TClassInfo* LookUpClassByName(std::string_view className) const;
    // Every entry of that class or of a class derived from it, from the last to the first.
    void Remove(const TClassInfo& graphicClass);

    std::size_t Count() const { return entries_.size(); }
    const TFileFormat& Entry(std::size_t index) const { return entries_.at(index); }

private:
    std::vector<TFileFormat> entries_;
};

// The process-wide registry, made on first use.
TFileFormatsList& FileFormats();
// The registry when it has been made; null otherwise.
TFileFormatsList* FileFormatsIfMade();

}  // namespace orvalis
