#pragma once
// The large inputs of the benchmarks, made at bench time by ImageMagick's convert into
// a folder of the build (never committed) and kept there for the next runs.

#include <filesystem>
#include <string>
#include <vector>

namespace orvalis::bench {

// `folder`/`name`, made first when missing by `convert` with these arguments followed by
// the file's path.
std::filesystem::path BenchFile(const std::filesystem::path& folder, const std::string& name,
                                const std::vector<std::string>& convertArguments);

}  // namespace orvalis::bench
