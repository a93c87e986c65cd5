#pragma once

#include "base/Prompts.h"
#include "FileRows.h"

#include <functional>
#include <string>

namespace pellucor::Main {

inline constexpr const char* kOpenSamplesQuestion =
    "Would you like this software to open the folder where these sample files are stored (so "
    "that you can view them before working with them)?";

// The samples folder beside the program, ending in the separator.
std::string samplesFolder(const std::string& programFolder);

// "Load Sample/Example Files": appends every file of the samples folder, in
// listing order, that is not listed yet (exact text), then asks whether to
// open the folder and calls openFolder with it on Yes. A missing samples
// folder adds nothing; the question is asked all the same. Other errors end
// the loading and reach the caller.
void LoadSampleFiles(filelist::FileRows& list, const std::string& programFolder,
                     platform::Prompts& prompts,
                     const std::function<void(const std::string& folder)>& openFolder);

} // namespace pellucor::Main
