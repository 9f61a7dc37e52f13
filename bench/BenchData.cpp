#include "bench/BenchData.h"

#include <iostream>

#include "bench/BenchTable.h"

namespace orvalis::bench {

std::filesystem::path BenchFile(const std::filesystem::path& folder, const std::string& name,
                                const std::vector<std::string>& convertArguments)
{
    const std::filesystem::path file = folder / name;
    if (std::filesystem::exists(file))
        return file;
    std::filesystem::create_directories(folder);
    std::cerr << "making " << file.string() << " (once)\n";
    // Written under another name first: an interrupted run leaves no half file behind.
    const std::filesystem::path partial = folder / ("partial-" + name);
    std::vector<std::string> arguments = {"convert"};
    arguments.insert(arguments.end(), convertArguments.begin(), convertArguments.end());
    arguments.push_back(partial.string());
    RunCommand(arguments);
    std::filesystem::rename(partial, file);
    return file;
}

}  // namespace orvalis::bench
