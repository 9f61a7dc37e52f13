#pragma once
// The decoders against their references: the JPEG image into a bitmap against djpeg,
// the PNG palette step against a bare libpng read.

#include <filesystem>
#include <vector>

#include "bench/BenchTable.h"

namespace orvalis::bench {

void AddCodecsPairs(const std::filesystem::path& dataFolder, std::vector<BenchPair>& pairs);

}  // namespace orvalis::bench
