#include "tests/app/ReferenceColourCount.h"

#include <cstdio>
#include <cstdlib>

namespace orvalis::test {

std::vector<ReferenceClass> ReferenceCount(const PixelRows& image) {
    std::vector<ReferenceClass> list = {
        {30, 30, 30, 31, 31, 31, 0},    {250, 250, 250, 6, 6, 6, 0},    {250, 152, 65, 10, 10, 10, 0},
        {247, 215, 72, 10, 10, 10, 0},  {245, 237, 90, 5, 5, 10, 0},    {244, 244, 68, 5, 5, 10, 0},
        {214, 248, 70, 15, 5, 5, 0},    {195, 248, 86, 10, 10, 10, 0},  {160, 250, 70, 10, 10, 10, 0},
        {156, 246, 149, 10, 10, 10, 0}, {143, 246, 230, 10, 10, 10, 0}, {112, 244, 242, 10, 10, 10, 0},
        {102, 146, 245, 10, 10, 10, 0}, {142, 140, 240, 10, 10, 10, 0}, {183, 144, 244, 10, 10, 10, 0},
        {214, 164, 237, 10, 10, 10, 0},
    };
    for (const auto& row : image) {
        for (const std::uint32_t pixel : row) {
            const int R = (pixel >> 16) & 0xFF, G = (pixel >> 8) & 0xFF, B = pixel & 0xFF;
            bool found = false;
            for (auto& k : list) {
                if (std::abs(k.r - R) < k.er && std::abs(k.v - G) < k.ev && std::abs(k.b - B) < k.eb) {
                    ++k.nb;
                    found = true;
                    break;
                }
            }
            if (found) continue;
            if (R + G + B >= 200)
                list.push_back({R, G, B, 10, 10, 10, 1});
            else
                ++list[0].nb;
        }
    }
    return list;
}

std::string ReferenceReportBytes(const std::vector<ReferenceClass>& classes) {
    std::string bytes = "\r\nFin de traitement\r\n";
    for (std::size_t i = 0; i < classes.size(); ++i) {
        char line[96];
        const ReferenceClass& k = classes[i];
        std::snprintf(line, sizeof line, "N\xB0 %3d r=%3d v=%3d b=%3d nb=%d\r\n", static_cast<int>(i) + 1, k.r, k.v,
                      k.b, k.nb);
        bytes += line;
    }
    return bytes;
}

}  // namespace orvalis::test
