// The benchmarks of Orvalis against their references, as one table (make bench).
//
//     orvalis_bench [data folder] [runs] [task text]
//
// The data folder holds the large inputs, made on the first run; runs is the number of
// timed runs of each side (7 by default); with a task text, only the pairs whose task
// holds it are measured (for profiling one of them). Exits with 1 when a ratio is above its target.
// (The program also runs as the child whose memory the viewer's pair weighs, see
// ViewerBench.h.)

#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "bench/BenchTable.h"
#include "bench/CodecsBench.h"
#include "bench/ViewerBench.h"

namespace {

using orvalis::bench::BenchPair;

// Each area adds its pairs; a new area is one more line here.
using AddPairs = void (*)(const std::filesystem::path& dataFolder, std::vector<BenchPair>& pairs);
constexpr AddPairs kAreas[] = {
    &orvalis::bench::AddCodecsPairs,
    &orvalis::bench::AddViewerPairs,
};

}  // namespace

int main(int argc, char** argv) {
    const bool viewerPeak = argc == 3 && std::strcmp(argv[1], orvalis::bench::kViewerPeakOption) == 0;
    if (viewerPeak || (argc == 3 && std::strcmp(argv[1], orvalis::bench::kCountPeakOption) == 0)) {
        try {
            return viewerPeak ? orvalis::bench::PrintViewerPeak(argv[2]) : orvalis::bench::PrintCountPeak(argv[2]);
        } catch (const std::exception& error) {
            std::cerr << "orvalis_bench: " << error.what() << '\n';
            return 2;
        }
    }
    // Absolute: the viewer's pairs run it in a working directory of its own.
    const std::filesystem::path dataFolder = std::filesystem::absolute(argc > 1 ? argv[1] : ORVALIS_BENCH_DATA);
    const int runs = argc > 2 ? std::atoi(argv[2]) : 7;
    if (runs < 1) {
        std::cerr << "orvalis_bench: the number of runs must be at least 1\n";
        return 2;
    }
    try {
        std::vector<BenchPair> pairs;
        for (AddPairs add : kAreas) add(dataFolder, pairs);
        std::vector<orvalis::bench::BenchResult> results;
        const std::string only = argc > 3 ? argv[3] : "";
        for (const BenchPair& pair : pairs)
            if (pair.task.find(only) != std::string::npos) results.push_back(orvalis::bench::Measure(pair, runs));
        orvalis::bench::PrintTable(std::cout, results);
        for (const auto& result : results)
            if (!result.Holds()) return 1;
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "orvalis_bench: " << error.what() << '\n';
        return 2;
    }
}
