#pragma once
// The benchmark table: pairs of one task of ours and the reference it is measured
// against (a tool run as a whole command, or a bare library call in this process). Each
// side is timed as the median of several runs, the two sides taking turns so that the
// machine's load falls on both alike; the ratio ours / reference must stay at or below
// the pair's target.
//
// A new pair is a few lines in an area's Add...Pairs function:
//
//     pairs.push_back({"PNG 4000x3000 RGB: palette step / libpng read",
//                      [&] { DecodeOurs(file); },
//                      [&] { DecodeReference(file); },
//                      1.3});

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace orvalis::bench {

struct BenchPair {
    std::string task;  // what is timed, ours / the reference
    std::function<void()> ours;
    std::function<void()> reference;
    double target;  // the highest ratio ours / reference accepted
};

struct BenchResult {
    std::string task;
    double oursMs = 0;
    double referenceMs = 0;
    double target = 0;

    double Ratio() const { return oursMs / referenceMs; }
    bool Holds() const { return Ratio() <= target; }
};

// One warm-up run of each side, then `runs` timed runs of each, in turns.
BenchResult Measure(const BenchPair& pair, int runs);

// One line per result: task, ours, reference, ratio, target, holds.
void PrintTable(std::ostream& out, const std::vector<BenchResult>& results);

// A reference that is a whole command: runs it with its output and errors discarded;
// a command that cannot start or fails stops the benchmark with its reason.
std::function<void()> Command(std::vector<std::string> arguments);
void RunCommand(const std::vector<std::string>& arguments);

}  // namespace orvalis::bench
