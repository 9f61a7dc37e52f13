#include "app/FileNames.h"

#include <string>
#include <vector>

#include "platform/FileTests.h"
#include "runtime/TextConversions.h"

namespace orvalis {

String ExtensionFichier(const String& name) {
    const std::string_view text = name.View();
    const std::size_t dot = text.rfind('.');
    if (dot == std::string_view::npos) return {};
    if (text.size() - dot >= 6) return String(".");
    return UpperCase(text.substr(dot + 1));
}

bool SeriesBaseName(const String& name, String& base) {
    const std::string_view text = name.View();
    const std::size_t dot = text.rfind('.');
    if (dot == std::string_view::npos || dot <= 1) return false;
    std::size_t i = dot - 1;
    // Position 0 is never examined: reaching it refuses the name.
    while (i > 0 && text[i] >= '0' && text[i] <= '9') --i;
    if (i == 0) return false;
    const bool digitsCut = i < dot - 1;
    base = digitsCut ? String(text.substr(0, i + 1)) : name;
    return true;
}

String ViewExtensionOf(const String& chosenName) {
    const std::string_view text = chosenName.View();
    const std::size_t dot = text.rfind('.');
    if (dot != std::string_view::npos && SameText(text.substr(dot), kViewExtension)) return String(text.substr(dot));
    return String(kViewExtension);
}

String FindViewFile(const String& stem, const String& preferredExtension) {
    for (const std::string_view spelling : {preferredExtension.View(), kViewExtension}) {
        String name = stem + spelling;
        if (platform::EntryExists(name.View())) return name;
    }
    const std::vector<std::string> spellings = platform::EntriesWithExtensionInAnyCase(stem.View(), kViewExtension);
    return spellings.empty() ? String() : String(spellings.front());
}

}  // namespace orvalis
