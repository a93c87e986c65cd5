#include "Samples.h"

#include "AddFolder.h"
#include "base/Error.h"
#include "base/PathHelpers.h"

namespace pellucor::Main {
namespace {

std::vector<std::string> sampleNames(const std::string& folder) {
    try {
        return AddFolder::ListFiles(folder, "*.*");
    } catch (const Error& error) {
        if (error.code() != ErrorNumber::PathNotFound)
            throw;
        return {""};
    }
}

} // namespace

std::string samplesFolder(const std::string& programFolder) {
    return programFolder + kSeparator + "Samples" + kSeparator;
}

void LoadSampleFiles(filelist::FileRows& list, const std::string& programFolder,
                     platform::Prompts& prompts,
                     const std::function<void(const std::string& folder)>& openFolder) {
    const std::string folder = samplesFolder(programFolder);
    std::vector<std::string> names = sampleNames(folder);
    for (size_t i = 1; i < names.size(); ++i) {
        std::string path = folder + names[i];
        if (FileExists(path) && !ListContains(list, path))
            list.Add(path);
    }
    if (prompts.MsgBox(kOpenSamplesQuestion, platform::Buttons::YesNo) == platform::Answer::Yes)
        openFolder(folder);
}

} // namespace pellucor::Main
