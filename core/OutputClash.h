#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace pellucor {

// Rows of the file list whose results would be saved to one path in the
// output folder, the later over the earlier. A row listed twice (the same
// file) is no clash: its second pass works on the first one's result.
struct OutputClash {
    std::string savedAs;
    std::string name;               // as saved, inside the output folder
    std::vector<std::string> files; // as listed, first row first
};

// The clashes of the listed files when results go to `folder`, in row order;
// file k's result is saved there as resultName(k), or under its own name
// when that is not given.
std::vector<OutputClash>
outputClashes(const std::vector<std::string>& files, const std::string& folder,
              const std::function<std::string(size_t)>& resultName = nullptr);

// The box that refuses such a run.
std::string outputClashText(const std::vector<OutputClash>& clashes);

} // namespace pellucor
