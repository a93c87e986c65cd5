#include "Outcome.h"

#include <algorithm>

namespace pellucor {

Removals& Removals::operator+=(const Removals& other) {
    frames += other.frames;
    tablePositions += other.tablePositions;
    protection = protection || other.protection;
    return *this;
}

MarkOutcome::Result MarkOutcome::result() const {
    if (!failures.empty())
        return Result::Failed;
    if (skippedAsProtected)
        return Result::Protected;
    return wordsRewritten > 0 || removed.any() ? Result::Changed : Result::Unchanged;
}

MarkOutcome::Result DocumentOutcome::result() const {
    using Result = MarkOutcome::Result;
    if (!begun)
        return Result::NotProcessed;
    auto any = [&](Result wanted) {
        return std::any_of(marks.begin(), marks.end(),
                           [&](const MarkOutcome& mark) { return mark.result() == wanted; });
    };
    for (Result result : {Result::Failed, Result::Protected, Result::Changed})
        if (any(result))
            return result;
    return Result::Unchanged;
}

int DocumentOutcome::wordsRewritten() const {
    int words = 0;
    for (const MarkOutcome& mark : marks)
        words += mark.wordsRewritten;
    return words;
}

std::map<word::StoryKind, int> DocumentOutcome::storyChanges() const {
    std::map<word::StoryKind, int> changes;
    for (const MarkOutcome& mark : marks)
        for (const auto& [kind, words] : mark.storyChanges)
            changes[kind] += words;
    return changes;
}

Removals DocumentOutcome::removed() const {
    Removals sum;
    for (const MarkOutcome& mark : marks)
        sum += mark.removed;
    return sum;
}

size_t BatchOutcome::count(MarkOutcome::Result result) const {
    return static_cast<size_t>(
        std::count_if(documents.begin(), documents.end(), [&](const DocumentOutcome& document) {
            return document.result() == result;
        }));
}

Failure escapedFailure(const std::exception& error) {
    return {"process", 0, errorNumberOf(error), describe(error)};
}

void addFailures(std::vector<Failure>& failures, const ErrorTrap& trap) {
    for (const TrappedError& error : trap.trapped())
        failures.push_back({error.step, error.line, error.number, error.description});
}

const char* resultName(MarkOutcome::Result result) {
    switch (result) {
    case MarkOutcome::Result::Changed:
        return "changed";
    case MarkOutcome::Result::Unchanged:
        return "unchanged";
    case MarkOutcome::Result::Protected:
        return "protected";
    case MarkOutcome::Result::NotProcessed:
        return "not processed";
    case MarkOutcome::Result::Failed:
        break;
    }
    return "failed";
}

} // namespace pellucor
