#pragma once
// The decoders as the viewer uses them, against their references: a JPEG view made
// ready to paint against djpeg, PNG files opened through the viewer's PNG loader against
// a bare libpng read, a BMP file loaded through the viewer's loader against reading the
// file into memory.

#include <filesystem>
#include <vector>

#include "bench/BenchTable.h"

namespace orvalis::bench {

void AddCodecsPairs(const std::filesystem::path& dataFolder, std::vector<BenchPair>& pairs);

}  // namespace orvalis::bench
