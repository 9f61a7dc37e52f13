// The benchmarks of Orvalis against their references, as one table (make bench).
//
//     orvalis_bench [data folder] [runs]
//
// The data folder holds the large inputs, made on the first run; runs is the number of
// timed runs of each side (7 by default). Exits with 1 when a ratio is above its target.

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <vector>

#include "bench/BenchTable.h"
#include "bench/CodecsBench.h"

namespace {

using orvalis::bench::BenchPair;

// Each area adds its pairs; a new area is one more line here.
using AddPairs = void (*)(const std::filesystem::path& dataFolder, std::vector<BenchPair>& pairs);
constexpr AddPairs kAreas[] = {
    &orvalis::bench::AddCodecsPairs,
};

}  // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path dataFolder = argc > 1 ? argv[1] : ORVALIS_BENCH_DATA;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 7;
    if (runs < 1) {
        std::cerr << "orvalis_bench: the number of runs must be at least 1\n";
        return 2;
    }
    try {
        std::vector<BenchPair> pairs;
        for (AddPairs add : kAreas)
            add(dataFolder, pairs);
        std::vector<orvalis::bench::BenchResult> results;
        for (const BenchPair& pair : pairs)
            results.push_back(orvalis::bench::Measure(pair, runs));
        orvalis::bench::PrintTable(std::cout, results);
        for (const auto& result : results)
            if (!result.Holds())
                return 1;
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "orvalis_bench: " << error.what() << '\n';
        return 2;
    }
}
