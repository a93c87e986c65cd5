#include "CliOptions.h"

#include "base/Utf8.h"

#include <charconv>
#include <utility>

namespace pellucor::cli {
namespace {

constexpr unsigned kMostJobs = 256;

unsigned parseJobs(const std::string& text) {
    unsigned jobs = 0;
    auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), jobs);
    if (failure != std::errc() || end != text.data() + text.size() || jobs == 0 || jobs > kMostJobs)
        throw UsageError{"--jobs needs a whole number from 1 to " + std::to_string(kMostJobs) +
                         ", not \"" + text + "\""};
    return jobs;
}

// Reads "--name value" and "--name=value" alike.
class Arguments {
public:
    Arguments(int argc, char** argv) : m_args(argv + 1, argv + argc) {}
    bool done() const { return m_next >= m_args.size(); }
    std::string next() { return m_args[m_next++]; }
    std::string valueOf(const std::string& option, std::optional<std::string>& attached) {
        if (attached)
            return *std::exchange(attached, std::nullopt);
        if (done())
            throw UsageError{option + " needs a value"};
        return next();
    }

private:
    std::vector<std::string> m_args;
    size_t m_next = 0;
};

void applyOption(CliOptions& options, Arguments& args, const std::string& argument) {
    std::string name = argument;
    std::optional<std::string> value;
    if (auto equals = argument.find('='); equals != std::string::npos) {
        name = argument.substr(0, equals);
        value = argument.substr(equals + 1);
    }
    const bool takesValue = name == "--marks" || name == "--out" || name == "--jobs" ||
                            name == "--words" || name == "--ext" || name == "--report";
    if (value && !takesValue && name != "--in-place")
        throw UsageError{name + " takes no value"};
    if (name == "--add")
        options.spacing = Spacing::Add;
    else if (name == "--remove")
        options.spacing = Spacing::Remove;
    else if (name == "--in-place") {
        options.inPlace = true;
        if (value && value->empty())
            throw UsageError{
                "--in-place= needs a suffix for the backup copies, e.g. --in-place=.bak"};
        options.backupSuffix = value.value_or("");
    } else if (name == "--dry-run")
        options.dryRun = true;
    else if (name == "--check")
        options.dryRun = options.check = true;
    else if (name == "--yes")
        options.proceedIfWordOpen = true;
    else if (name == "--help")
        options.help = true;
    else if (name == "--version")
        options.version = true;
    else if (name == "--marks") {
        std::string marks = args.valueOf(name, value);
        options.marks = splitCodePoints(marks);
        if (options.marks.empty())
            throw UsageError{"--marks needs at least one character, in UTF-8"};
    } else if (name == "--out")
        options.outFolder = args.valueOf(name, value);
    else if (name == "--jobs")
        options.jobs = parseJobs(args.valueOf(name, value));
    else if (name == "--words")
        options.wordsOf = args.valueOf(name, value);
    else if (name == "--ext")
        options.patterns = patternsOf(args.valueOf(name, value));
    else if (name == "--report")
        options.reportFile = args.valueOf(name, value);
    else
        throw UsageError{"unknown option " + name};
}

void checkCombination(const CliOptions& options, bool sawAdd, bool sawRemove) {
    if (sawAdd && sawRemove)
        throw UsageError{"--add and --remove cannot be used together"};
    if (options.inPlace && options.outFolder)
        throw UsageError{"--out and --in-place cannot be used together"};
    if (options.wordsOf && !options.files.empty())
        throw UsageError{"--words takes one document and no other files"};
}

} // namespace

std::vector<std::string> splitCodePoints(const std::string& text) {
    std::vector<std::string> points;
    for (size_t at = 0; at < text.size();) {
        text::Utf8Char c = text::decodeUtf8(text, at);
        if (!c.valid)
            return {};
        points.push_back(text.substr(at, c.length));
        at += c.length;
    }
    return points;
}

std::vector<std::string> patternsOf(const std::string& list) {
    std::vector<std::string> patterns;
    size_t start = 0;
    while (true) {
        size_t comma = list.find(',', start);
        std::string extension = list.substr(start, comma - start);
        if (!extension.empty() && extension[0] == '.')
            extension.erase(0, 1);
        if (extension.empty() || extension.find('/') != std::string::npos)
            throw UsageError{"--ext needs extensions separated by commas, e.g. docx,rtf, not \"" +
                             list + "\""};
        patterns.push_back("*." + extension);
        if (comma == std::string::npos)
            return patterns;
        start = comma + 1;
    }
}

CliOptions parseOptions(int argc, char** argv) {
    CliOptions options;
    Arguments args(argc, argv);
    bool sawAdd = false;
    bool sawRemove = false;
    bool onlyFiles = false;
    while (!args.done()) {
        std::string argument = args.next();
        if (onlyFiles || argument == "-" || argument.rfind("-", 0) != 0) {
            options.files.push_back(argument);
            continue;
        }
        if (argument == "--") {
            onlyFiles = true;
            continue;
        }
        if (argument.rfind("--", 0) != 0)
            throw UsageError{"unknown option " + argument};
        applyOption(options, args, argument);
        sawAdd = sawAdd || argument == "--add";
        sawRemove = sawRemove || argument == "--remove";
    }
    checkCombination(options, sawAdd, sawRemove);
    return options;
}

std::string usageText() {
    return R"(Usage: pellucor-cli [options] FILE|FOLDER...
Changes the spacing after sentence punctuation in word-processor documents,
one document after another, each once for every mark. A folder stands for
every matching document in it and in its subfolders.

Options:
  --add            add a space after each mark followed by one space (default)
  --remove         remove a space after each mark followed by two spaces
  --marks M        the marks, one character each, in this order (default ".?!")
  --ext LIST       in folders, take the files with these extensions, separated
                   by commas, e.g. docx,rtf,txt; one of three letters also takes
                   the longer ones it begins, as doc takes .docx and .docm
                   (default: every extension that begins with "do", in any case)
  --out DIR        save the results into DIR (default: the desktop folder); the
                   documents of a folder keep their place below it
  --in-place       save the results over the documents themselves
  --in-place=SUFFIX  the same, keeping a copy of each document first under
                     its name followed by SUFFIX (e.g. --in-place=.bak)
  --dry-run        change nothing: print every place that would change, as
                   FILE: word N: before -> after, with spaces shown as dots
  --check          a dry run whose exit status is 1 when anything would change
  --report FILE    write what the run (or the dry run) did as JSON to FILE
  --jobs N         share the documents among N parallel runs (default: one
                   per core); fewer when the largest documents' memory
                   budgets would not fit together in the available memory
  --yes            proceed even when a word processor is running
  --words FILE     print the words of FILE as the engine numbers them, one
                   JSON string a line
  --help           show this text
  --version        show the version

Each problem is told on standard error as "pellucor-cli: FILE: what went
wrong"; the last line on standard output counts the documents: "N changed,
U unchanged, P protected, F failed". On a terminal, standard error shows the
progress: documents done of all, the current one and the time left.

Exit status:
  0  every document was changed or needed no change
  1  a document failed or was protected; with --check, something would change
  2  bad usage, or the output folder does not exist
  3  a word processor is running and --yes was not given
  130, 143  stopped by SIGINT (Ctrl-C) or SIGTERM after the document in hand,
     with the report and the summary of what was done

Examples:
  pellucor-cli --dry-run letters
          show what a run over the folder letters would change
  pellucor-cli --out spaced --report run.json letters
          save the results below spaced/ as they lie below letters/, and
          tell what was done in run.json
  pellucor-cli --in-place=.bak --ext docx,rtf report.docx drafts
          change report.docx and the .docx and .rtf files below drafts in
          place, keeping each original with .bak added to its name)";
}

} // namespace pellucor::cli
