#include "Report.h"

#include <algorithm>

namespace pellucor::cli {
namespace {

using Result = MarkOutcome::Result;

constexpr const char* kProgram = "pellucor-cli: ";

Result resultOf(const std::optional<DocumentOutcome>& document) {
    return document ? document->result() : Result::Failed;
}

void addOnce(std::vector<std::string>& lines, std::string line) {
    if (std::find(lines.begin(), lines.end(), line) == lines.end())
        lines.push_back(std::move(line));
}

} // namespace

std::vector<std::string> problemLines(const JobsOutcome& outcome,
                                      const std::vector<ListedFile>& files) {
    std::vector<std::string> lines;
    for (const ListedFile& file : files) {
        const std::optional<DocumentOutcome>& document = outcome.documents.at(file.index);
        const std::string prefix = kProgram + file.path + ": ";
        if (!document) {
            lines.push_back(prefix + "not processed");
            continue;
        }
        std::vector<std::string> own;
        for (const MarkOutcome& mark : document->marks) {
            for (const Failure& failure : mark.failures)
                addOnce(own, prefix + failure.description);
            if (mark.result() == Result::Protected)
                addOnce(own, prefix + "protected, and its protection cannot be removed without its "
                                      "password; left as it was");
        }
        lines.insert(lines.end(), own.begin(), own.end());
    }
    for (const std::string& error : outcome.errorsOutside)
        lines.push_back(kProgram + error);
    return lines;
}

std::string summaryLine(const JobsOutcome& outcome) {
    size_t counts[4] = {};
    for (const auto& document : outcome.documents)
        ++counts[static_cast<int>(resultOf(document))];
    auto part = [&](Result result) {
        return std::to_string(counts[static_cast<int>(result)]) + " " + resultName(result);
    };
    return part(Result::Changed) + ", " + part(Result::Unchanged) + ", " + part(Result::Protected) +
           ", " + part(Result::Failed);
}

bool allWell(const JobsOutcome& outcome) {
    return outcome.errorsOutside.empty() &&
           std::all_of(outcome.documents.begin(), outcome.documents.end(),
                       [](const auto& document) {
                           Result result = resultOf(document);
                           return result == Result::Changed || result == Result::Unchanged;
                       });
}

} // namespace pellucor::cli
