#pragma once
// The viewer itself: its colour count against a plain pass over the pixels (and, for
// information, against ImageMagick's count of colours), one advance of the real viewer
// against the decode of its view alone, and the viewer's peak memory while it shows a
// view and then the next.

#include <filesystem>
#include <vector>

#include "bench/BenchTable.h"

namespace orvalis::bench {

void AddViewerPairs(const std::filesystem::path& dataFolder, std::vector<BenchPair>& pairs);

// The option that makes the benchmark program the child whose memory is weighed: it
// runs the viewer on the series in that folder (a view, then the next) and prints its
// peak resident size in bytes.
inline constexpr const char* kViewerPeakOption = "--viewer-peak";
int PrintViewerPeak(const std::filesystem::path& seriesFolder);

// The option that makes the benchmark program the child weighed during a count: it runs
// the viewer, opens that PNG file, counts its colours and prints the peak resident size
// in bytes from the start of the count.
inline constexpr const char* kCountPeakOption = "--count-peak";
int PrintCountPeak(const std::filesystem::path& png);

}  // namespace orvalis::bench
