#include "bench/BenchTable.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iomanip>
#include <ostream>
#include <stdexcept>

extern char** environ;

namespace orvalis::bench {

namespace {

double Milliseconds(const std::function<void()>& run)
{
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    const std::size_t middle = times.size() / 2;
    return times.size() % 2 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
}

std::string Joined(const std::vector<std::string>& arguments)
{
    std::string line;
    for (const std::string& argument : arguments)
        line += (line.empty() ? "" : " ") + argument;
    return line;
}

}  // namespace

BenchResult Measure(const BenchPair& pair, int runs)
{
    pair.ours();
    pair.reference();
    std::vector<double> ours, reference;
    for (int i = 0; i < runs; ++i) {
        ours.push_back(Milliseconds(pair.ours));
        reference.push_back(Milliseconds(pair.reference));
    }
    return {pair.task, Median(ours), Median(reference), pair.target};
}

void PrintTable(std::ostream& out, const std::vector<BenchResult>& results)
{
    std::size_t taskWidth = 4;
    for (const BenchResult& result : results)
        taskWidth = std::max(taskWidth, result.task.size());
    out << std::left << std::setw(int(taskWidth)) << "task" << std::right << std::setw(11) << "ours (ms)"
        << std::setw(16) << "reference (ms)" << std::setw(8) << "ratio" << std::setw(8) << "target" << std::setw(7)
        << "holds" << '\n';
    out << std::fixed;
    for (const BenchResult& result : results) {
        out << std::left << std::setw(int(taskWidth)) << result.task << std::right << std::setprecision(1)
            << std::setw(11) << result.oursMs << std::setw(16) << result.referenceMs << std::setprecision(2)
            << std::setw(8) << result.Ratio() << std::setw(8) << result.target << std::setw(7)
            << (result.Holds() ? "yes" : "NO") << '\n';
    }
}

void RunCommand(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot start: " + Joined(arguments));
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("failed: " + Joined(arguments));
}

std::function<void()> Command(std::vector<std::string> arguments)
{
    return [arguments = std::move(arguments)] { RunCommand(arguments); };
}

}  // namespace orvalis::bench
