#pragma once
// The colour count as the documents state it, written plainly and apart from the code
// under test: a linear search of the class list for every pixel, no memo. Tests compare
// the viewer's count and its log report with it.

#include <cstdint>
#include <string>
#include <vector>

namespace orvalis::test {

struct ReferenceClass {
    int r, v, b, er, ev, eb, nb;
};

// Rows top first, each pixel 0x??RRGGBB.
using PixelRows = std::vector<std::vector<std::uint32_t>>;

std::vector<ReferenceClass> ReferenceCount(const PixelRows& image);

// One report as the log file holds it (Windows-1252, CR LF): an empty line, "Fin de
// traitement", then "N° %3d r=%3d v=%3d b=%3d nb=%d" per class.
std::string ReferenceReportBytes(const std::vector<ReferenceClass>& classes);

}  // namespace orvalis::test
