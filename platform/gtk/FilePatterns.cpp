#include "platform/gtk/FilePatterns.h"

#include <glib.h>

#include <string>

#include "platform/gtk/ValidUtf8.h"

namespace orvalis::platform::gtk {

namespace {

// The text case-folded, as code points.
std::u32string Folded(std::string_view text) {
    gchar* folded = g_utf8_casefold(ValidUtf8(text).c_str(), -1);
    glong length = 0;
    gunichar* points = g_utf8_to_ucs4_fast(folded, -1, &length);
    std::u32string result(points, points + length);
    g_free(points);
    g_free(folded);
    return result;
}

// Glob matching with "*" and "?"; a "*" that failed resumes one character further.
bool Matches(const std::u32string& name, const std::u32string& pattern) {
    std::size_t n = 0, p = 0;
    std::size_t starPattern = std::u32string::npos, starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == U'*') {
            starPattern = p++;
            starName = n;
        } else if (starPattern != std::u32string::npos) {
            p = starPattern + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*') ++p;
    return p == pattern.size();
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

}  // namespace

bool MatchesFilterPatterns(std::string_view name, std::string_view patterns) {
    std::u32string foldedName = Folded(name);
    while (!patterns.empty()) {
        std::size_t end = patterns.find(';');
        std::string_view pattern = Trimmed(patterns.substr(0, end));
        patterns = end == std::string_view::npos ? std::string_view{} : patterns.substr(end + 1);
        if (pattern.empty()) continue;
        if (pattern == "*.*" || Matches(foldedName, Folded(pattern))) return true;
    }
    return false;
}

}  // namespace orvalis::platform::gtk
