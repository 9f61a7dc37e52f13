#include "bench/BenchTable.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iomanip>
#include <ostream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace orvalis::bench {

namespace {

double Median(std::vector<double> values) {
    if (values.empty()) throw std::runtime_error("a pair gave no measure");
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::string Joined(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) line += (line.empty() ? "" : " ") + argument;
    return line;
}

std::string WithUnit(double value, const std::string& unit) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(1) << value << ' ' << unit;
    return text.str();
}

// Runs the command with its errors discarded and its output into `output` (a pipe's
// writing end) or discarded when it is -1; stops the benchmark when it cannot start or
// fails.
pid_t Spawn(const std::vector<std::string>& arguments, int output) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (output >= 0)
        posix_spawn_file_actions_adddup2(&actions, output, 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start: " + Joined(arguments));
    return child;
}

void Wait(pid_t child, const std::vector<std::string>& arguments) {
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("failed: " + Joined(arguments));
}

}  // namespace

double Milliseconds(const std::function<void()>& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

BenchPair TimedPair(std::string task, std::function<void()> ours, std::function<void()> reference, double target) {
    auto measure = [ours = std::move(ours), reference = std::move(reference)](int runs) {
        ours();
        reference();
        BenchSamples samples;
        for (int i = 0; i < runs; ++i) {
            samples.ours.push_back(Milliseconds(ours));
            samples.reference.push_back(Milliseconds(reference));
        }
        return samples;
    };
    return {std::move(task), std::move(measure), target};
}

BenchResult Measure(const BenchPair& pair, int runs) {
    const BenchSamples samples = pair.measure(runs);
    return {pair.task, Median(samples.ours), Median(samples.reference), pair.target, pair.unit};
}

void PrintTable(std::ostream& out, const std::vector<BenchResult>& results) {
    std::size_t taskWidth = 4;
    for (const BenchResult& result : results) taskWidth = std::max(taskWidth, result.task.size());
    out << std::left << std::setw(int(taskWidth)) << "task" << std::right << std::setw(12) << "ours" << std::setw(12)
        << "reference" << std::setw(8) << "ratio" << std::setw(8) << "target" << std::setw(7) << "holds" << '\n';
    for (const BenchResult& result : results) {
        out << std::left << std::setw(int(taskWidth)) << result.task << std::right << std::setw(12)
            << WithUnit(result.ours, result.unit) << std::setw(12) << WithUnit(result.reference, result.unit)
            << std::fixed << std::setprecision(2) << std::setw(8) << result.Ratio();
        if (result.Informative())
            out << std::setw(8) << "info" << std::setw(7) << "info" << '\n';
        else
            out << std::setw(8) << result.target << std::setw(7) << (result.Holds() ? "yes" : "NO") << '\n';
    }
}

void RunCommand(const std::vector<std::string>& arguments) { Wait(Spawn(arguments, -1), arguments); }

std::string CommandOutput(const std::vector<std::string>& arguments) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) throw std::runtime_error("no pipe for: " + Joined(arguments));
    pid_t child = -1;
    try {
        child = Spawn(arguments, pipeEnds[1]);
    } catch (...) {
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        throw;
    }
    close(pipeEnds[1]);
    std::string output;
    char buffer[4096];
    for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
        if (got > 0)
            output.append(buffer, std::size_t(got));
        else if (errno != EINTR)
            break;
    }
    close(pipeEnds[0]);
    Wait(child, arguments);
    return output;
}

std::function<void()> Command(std::vector<std::string> arguments) {
    return [arguments = std::move(arguments)] { RunCommand(arguments); };
}

}  // namespace orvalis::bench
