#include "bench/LinearColourCount.h"

#include <cstdlib>

namespace orvalis::bench {

std::vector<ClasseCouleur> LinearColourCount(int width, int height, const PixelRowSource& rows) {
    std::vector<ClasseCouleur> classes = PredefinedColourClasses();
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* row = rows(y);
        for (int x = 0; x < width; ++x) {
            const int red = int(row[x] >> 16 & 0xFF), green = int(row[x] >> 8 & 0xFF), blue = int(row[x] & 0xFF);
            ClasseCouleur* home = nullptr;
            for (ClasseCouleur& k : classes) {
                if (std::abs(k.r - red) < k.ecartR && std::abs(k.v - green) < k.ecartV &&
                    std::abs(k.b - blue) < k.ecartB) {
                    home = &k;
                    break;
                }
            }
            if (!home && red + green + blue >= 200) {
                classes.push_back({std::uint8_t(red), std::uint8_t(green), std::uint8_t(blue), 10, 10, 10, 0});
                home = &classes.back();
            }
            ++(home ? *home : classes.front()).nb;
        }
    }
    return classes;
}

}  // namespace orvalis::bench
