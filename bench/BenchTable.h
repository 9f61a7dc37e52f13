#pragma once
// The benchmark table: pairs of one task of ours and the reference it is measured
// against (a tool run as a whole command, or a bare library call in this process). Each
// side is measured as the median of several runs, the two sides taking turns so that
// the machine's load falls on both alike; the ratio ours / reference must stay at or
// below the pair's target (a pair without target is there for information).
//
// A new pair is a few lines in an area's Add...Pairs function:
//
//     pairs.push_back(TimedPair("PNG 4000x3000 RGB: palette step / libpng read",
//                               [&] { DecodeOurs(file); },
//                               [&] { DecodeReference(file); },
//                               1.3));
//
// A pair whose sides cannot be called apart (they run inside the viewer's own message
// loop, or measure memory) gives its samples itself, still in turns.

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace orvalis::bench {

// The measures of the two sides, one per run, in the pair's unit.
struct BenchSamples {
    std::vector<double> ours;
    std::vector<double> reference;
};

// For information only: no target.
inline constexpr double kNoTarget = 0;

struct BenchPair {
    std::string task;                               // what is measured, ours / the reference
    std::function<BenchSamples(int runs)> measure;  // `runs` measures of each side, in turns
    double target;                                  // the highest ratio ours / reference accepted
    std::string unit = "ms";
};

struct BenchResult {
    std::string task;
    double ours = 0;
    double reference = 0;
    double target = 0;
    std::string unit;

    double Ratio() const { return ours / reference; }
    bool Informative() const { return target == kNoTarget; }
    bool Holds() const { return Informative() || Ratio() <= target; }
};

// The wall-clock time of one call, in milliseconds.
double Milliseconds(const std::function<void()>& run);

// Two sides timed in milliseconds: one warm-up run of each, then `runs` timed runs of
// each, in turns.
BenchPair TimedPair(std::string task, std::function<void()> ours, std::function<void()> reference, double target);

// The medians of the pair's measures.
BenchResult Measure(const BenchPair& pair, int runs);

// One line per result: task, ours, reference, ratio, target, holds.
void PrintTable(std::ostream& out, const std::vector<BenchResult>& results);

// A reference that is a whole command: runs it with its output and errors discarded;
// a command that cannot start or fails stops the benchmark with its reason.
std::function<void()> Command(std::vector<std::string> arguments);
void RunCommand(const std::vector<std::string>& arguments);
// The same, giving what the command wrote on its standard output.
std::string CommandOutput(const std::vector<std::string>& arguments);

}  // namespace orvalis::bench
