#include "Report.h"

#include "base/ShownName.h"
#include "WordsDump.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace pellucor::cli {
namespace {

using Result = MarkOutcome::Result;

constexpr const char* kProgram = "pellucor-cli: ";
constexpr const char* kProtected =
    "protected, and its protection cannot be removed without its password; left as it was";

Result resultOf(const std::optional<DocumentOutcome>& document) {
    return document ? document->result() : Result::NotProcessed;
}

bool notProcessed(const std::optional<DocumentOutcome>& document) {
    return resultOf(document) == Result::NotProcessed;
}

void addOnce(std::vector<std::string>& lines, std::string line) {
    if (std::find(lines.begin(), lines.end(), line) == lines.end())
        lines.push_back(std::move(line));
}

// What is on disk for the document: the file this run left its result in.
std::string savedTo(const DocumentOutcome& document) {
    return document.output;
}

using Json = nlohmann::ordered_json;

Json nameOrNull(const std::string& text) {
    return text.empty() ? Json() : Json(text);
}

// The passes of each mark of the run, in the run's order; a mark given
// twice is one key, counting both passes.
Json marksJson(const std::optional<DocumentOutcome>& document,
               const std::vector<std::string>& runMarks) {
    Json marks = Json::object();
    for (const std::string& mark : runMarks)
        marks[mark] = 0;
    if (document)
        for (const MarkOutcome& mark : document->marks)
            if (marks.contains(mark.mark))
                marks[mark.mark] = marks[mark.mark].get<int>() + mark.wordsRewritten;
    return marks;
}

// The changes of each kind of story that had any, main story first.
Json storiesJson(const std::optional<DocumentOutcome>& document) {
    Json stories = Json::object();
    if (document)
        for (const auto& [kind, words] : document->storyChanges())
            stories[word::storyKindName(kind)] = words;
    return stories;
}

Json documentJson(const std::optional<DocumentOutcome>& document, const std::string& path,
                  const std::vector<std::string>& runMarks, bool dryRun, bool allStories) {
    const std::vector<std::string> problems = documentProblems(document);
    Json json;
    json["path"] = path;
    json["output"] = dryRun || !document ? Json() : nameOrNull(savedTo(*document));
    json["status"] = resultName(resultOf(document));
    json["changes"] = document ? document->wordsRewritten() : 0;
    json["marks"] = marksJson(document, runMarks);
    const Removals removed = document ? document->removed() : Removals{};
    json["frames_removed"] = removed.frames;
    json["table_positions_removed"] = removed.tablePositions;
    json["protection_removed"] = removed.protection;
    json["error"] = problems.empty() ? Json() : Json(problems.front());
    if (allStories)
        json["stories"] = storiesJson(document);
    return json;
}

// A value on one line, ", " and ": " between its parts. Texts are names
// and may hold any bytes, so they are written by jsonString, which keeps
// them; the library writes numbers and null.
std::string oneLineJson(const Json& value) {
    if (value.is_string())
        return jsonString(value.get_ref<const std::string&>());
    if (!value.is_object())
        return value.dump();
    std::string text;
    for (const auto& [key, item] : value.items())
        text += (text.empty() ? "{" : ", ") + jsonString(key) + ": " + oneLineJson(item);
    return text.empty() ? "{}" : text + "}";
}

std::string counted(int count, const std::string& what) {
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

// ", removed: 1 frame, 2 table positions, protection", or nothing.
std::string removalsText(const Removals& removed) {
    std::string text;
    if (removed.frames > 0)
        text += ", " + counted(removed.frames, "frame");
    if (removed.tablePositions > 0)
        text += ", " + counted(removed.tablePositions, "table position");
    if (removed.protection)
        text += ", protection";
    return text.empty() ? text : ", removed:" + text.substr(1);
}

size_t countOf(const JobsOutcome& outcome, Result result) {
    return static_cast<size_t>(std::count_if(outcome.documents.begin(), outcome.documents.end(),
                                             [&](const auto& d) { return resultOf(d) == result; }));
}

} // namespace

std::vector<std::string> documentProblems(const std::optional<DocumentOutcome>& document) {
    if (notProcessed(document))
        return {"not processed"};
    std::vector<std::string> problems;
    for (const MarkOutcome& mark : document->marks) {
        for (const Failure& failure : mark.failures)
            addOnce(problems, failure.description);
        if (mark.result() == Result::Protected)
            addOnce(problems, kProtected);
    }
    return problems;
}

std::vector<std::string> problemLines(const JobsOutcome& outcome,
                                      const std::vector<ListedFile>& files) {
    std::vector<std::string> lines;
    for (const ListedFile& file : files)
        if (!notProcessed(outcome.documents.at(file.index)))
            for (const std::string& problem : documentProblems(outcome.documents.at(file.index)))
                lines.push_back(kProgram + shownName(file.path) + ": " + problem);
    // A stopped run leaves many documents behind: one line tells of them all.
    if (const size_t left = countOf(outcome, Result::NotProcessed); left > 0)
        lines.push_back(kProgram + counted(static_cast<int>(left), "document") + " not processed");
    for (const std::string& error : outcome.errorsOutside)
        lines.push_back(kProgram + error);
    return lines;
}

std::vector<std::string> outrightLines(const JobsOutcome& outcome,
                                       const std::vector<ListedFile>& files) {
    std::vector<std::string> lines;
    for (const ListedFile& file : files) {
        const std::optional<DocumentOutcome>& document = outcome.documents.at(file.index);
        if (document && std::any_of(document->marks.begin(), document->marks.end(),
                                    [](const MarkOutcome& mark) { return mark.changedOutright; }))
            lines.push_back(kProgram + shownName(file.path) +
                            ": its format cannot hold tracked changes; the spaces were changed "
                            "outright");
    }
    return lines;
}

std::string visible(const std::string& text) {
    std::string shown;
    for (char c : text) {
        if (c == ' ')
            shown += "\u00b7";
        else if (c == '\t')
            shown += "\u21e5";
        else if (c == '\r' || c == '\n')
            shown += "\u00b6";
        else
            shown += c;
    }
    return shown;
}

std::string placeLine(const std::string& path, const Word1::Place& place) {
    using Kind = Word1::Place::Kind;
    const std::string file = shownName(path) + ": ";
    const std::string number = std::to_string(place.word);
    switch (place.kind) {
    case Kind::Protection:
        return file + "protection: removed";
    case Kind::Frame:
        return file + "frame " + number + ": removed";
    case Kind::TablePosition:
        return file + "table position " + number + ": removed";
    case Kind::Word:
        break;
    }
    const std::string story = place.story == word::StoryKind::Main
                                  ? ""
                                  : std::string(word::storyKindName(place.story)) + " " +
                                        std::to_string(place.storyNumber) + ": ";
    return file + story + "word " + number + ": \u2026" + visible(place.before) +
           "\u2026 -> \u2026" + visible(place.after) + "\u2026";
}

std::string summaryLine(const JobsOutcome& outcome) {
    auto part = [&](Result result) {
        return std::to_string(countOf(outcome, result)) + " " + resultName(result);
    };
    return part(Result::Changed) + ", " + part(Result::Unchanged) + ", " + part(Result::Protected) +
           ", " + part(Result::Failed) +
           (countOf(outcome, Result::NotProcessed) > 0 ? ", " + part(Result::NotProcessed) : "");
}

bool allWell(const JobsOutcome& outcome) {
    return outcome.errorsOutside.empty() &&
           std::all_of(outcome.documents.begin(), outcome.documents.end(),
                       [](const auto& document) {
                           Result result = resultOf(document);
                           return result == Result::Changed || result == Result::Unchanged;
                       });
}

size_t changeCount(const JobsOutcome& outcome) {
    size_t changes = 0;
    for (const auto& document : outcome.documents)
        if (document) {
            const Removals removed = document->removed();
            changes += static_cast<size_t>(document->wordsRewritten() + removed.frames +
                                           removed.tablePositions + (removed.protection ? 1 : 0));
        }
    return changes;
}

std::vector<std::string> documentLines(const JobsOutcome& outcome,
                                       const std::vector<ListedFile>& files, bool dryRun) {
    std::vector<std::string> lines;
    for (const ListedFile& file : files) {
        const std::optional<DocumentOutcome>& document = outcome.documents.at(file.index);
        const int changes = document ? document->wordsRewritten() : 0;
        const std::string output = document && !dryRun ? savedTo(*document) : "";
        lines.push_back(shownName(file.path) + ": " + resultName(resultOf(document)) + ", " +
                        std::to_string(changes) + (changes == 1 ? " change" : " changes") +
                        removalsText(document ? document->removed() : Removals{}) +
                        (output.empty() ? "" : " -> " + shownName(output)));
    }
    return lines;
}

std::string jsonReport(const JobsOutcome& outcome, const std::vector<ListedFile>& files,
                       const std::vector<std::string>& runMarks, bool dryRun, bool allStories) {
    // One document a line, then one count a line.
    std::string json = "{\"documents\": [";
    for (size_t k = 0; k < files.size(); ++k)
        json += (k ? ",\n  " : "\n  ") +
                oneLineJson(documentJson(outcome.documents.at(files[k].index), files[k].path,
                                         runMarks, dryRun, allStories));
    json += files.empty() ? "]" : "\n]";
    for (Result result : {Result::Changed, Result::Unchanged, Result::Protected, Result::Failed,
                          Result::NotProcessed})
        json +=
            ",\n " + jsonString(resultName(result)) + ": " + Json(countOf(outcome, result)).dump();
    return json + "\n}\n";
}

} // namespace pellucor::cli
