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
    const bool takesValue =
        name == "--marks" || name == "--out" || name == "--jobs" || name == "--words";
    if (value && !takesValue)
        throw UsageError{name + " takes no value"};
    if (name == "--add")
        options.spacing = Spacing::Add;
    else if (name == "--remove")
        options.spacing = Spacing::Remove;
    else if (name == "--in-place")
        options.inPlace = true;
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
    return R"(Usage: pellucor-cli [options] FILE...
Changes the spacing after sentence punctuation in .docx documents, one
document after another, each once for every mark.

  --add            add a space after each mark followed by one space (default)
  --remove         remove a space after each mark followed by two spaces
  --marks M        the marks, one character each, in this order (default ".?!")
  --out DIR        save the results into DIR (default: the desktop folder)
  --in-place       save the results over the documents themselves
  --jobs N         share the documents among N parallel runs (default: one
                   per core)
  --yes            proceed even when a word processor is running
  --words FILE     print the words of FILE as the engine numbers them, one
                   JSON string a line
  --help           show this text
  --version        show the version

Exit status: 0 all documents changed, 1 some failed, 2 bad usage or missing
output folder, 3 stopped because a word processor is running.)";
}

} // namespace pellucor::cli
