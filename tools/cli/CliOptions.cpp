#include "CliOptions.h"

#include "base/Utf8.h"
#include "base/XmlText.h"

#include <charconv>
#include <getopt.h>

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

// The options; each long-only one has a value above every character.
enum LongOnly : int {
    kAdd = 256,
    kRemove,
    kMarks,
    kExt,
    kInPlace,
    kCheck,
    kReport,
    kYes,
    kWords,
    kFilesFrom,
    kStories,
    kTrackChanges
};

const option kOptions[] = {
    {"add", no_argument, nullptr, kAdd},
    {"remove", no_argument, nullptr, kRemove},
    {"marks", required_argument, nullptr, kMarks},
    {"ext", required_argument, nullptr, kExt},
    {"out", required_argument, nullptr, 'o'},
    {"in-place", optional_argument, nullptr, kInPlace},
    {"dry-run", no_argument, nullptr, 'n'},
    {"check", no_argument, nullptr, kCheck},
    {"report", required_argument, nullptr, kReport},
    {"jobs", required_argument, nullptr, 'j'},
    {"yes", no_argument, nullptr, kYes},
    {"words", required_argument, nullptr, kWords},
    {"files-from", required_argument, nullptr, kFilesFrom},
    {"stories", required_argument, nullptr, kStories},
    {"track-changes", optional_argument, nullptr, kTrackChanges},
    {"null", no_argument, nullptr, '0'},
    {"quiet", no_argument, nullptr, 'q'},
    {"verbose", no_argument, nullptr, 'v'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

// "-" first: the files come back in their order, as 1; ":" next: a missing
// value comes back as ':', and getopt prints nothing itself.
constexpr const char* kShortOptions = "-:no:j:0qvhV";

const option* optionOf(int value) {
    for (const option* o = kOptions; o->name; ++o)
        if (o->val == value)
            return o;
    return nullptr;
}

std::string longName(int value) {
    const option* known = optionOf(value);
    return known ? std::string("--") + known->name : std::string("-") + static_cast<char>(value);
}

// Why getopt refused an argument: a value given to an option that takes
// none, an unknown letter, or an unknown or ambiguous long name (then
// `argument` is the one refused).
std::string refusal(const std::string& argument, int optionValue) {
    if (optionOf(optionValue))
        return longName(optionValue) + " takes no value";
    if (optionValue != 0)
        return "unknown option -" + std::string(1, static_cast<char>(optionValue));
    const std::string name = argument.substr(2, argument.find('=') - 2);
    int matches = 0;
    for (const option* o = kOptions; o->name; ++o)
        matches += std::string(o->name).rfind(name, 0) == 0 ? 1 : 0;
    return matches > 1 ? "option --" + name + " is ambiguous" : "unknown option --" + name;
}

// The options that only switch something on, and those that only keep their
// value.
const std::pair<int, bool CliOptions::*> kSwitches[] = {
    {'n', &CliOptions::dryRun},        {kYes, &CliOptions::proceedIfWordOpen},
    {'q', &CliOptions::quiet},         {'v', &CliOptions::verbose},
    {'h', &CliOptions::help},          {'V', &CliOptions::version},
    {'0', &CliOptions::nullSeparated},
};
const std::pair<int, std::optional<std::string> CliOptions::*> kTexts[] = {
    {'o', &CliOptions::outFolder},
    {kWords, &CliOptions::wordsOf},
    {kReport, &CliOptions::reportFile},
    {kFilesFrom, &CliOptions::filesFrom},
};

// The name is written into every revision of every document: what a document
// cannot hold, or would show as nothing, is refused before anything starts.
void checkAuthor(const std::string& author) {
    const size_t at = text::firstUnusableInName(author);
    if (at == std::string::npos)
        return;
    throw UsageError{"--track-changes: the author's name holds " +
                     text::unusableCharacterAt(author, at) + " at character " +
                     std::to_string(text::characterCount(author.substr(0, at)) + 1) +
                     "; give it in printable characters of UTF-8"};
}

void applyOption(CliOptions& options, int value, const std::string& text) {
    for (const auto& [option, member] : kSwitches)
        if (option == value)
            return void(options.*member = true);
    for (const auto& [option, member] : kTexts)
        if (option == value)
            return void(options.*member = text);
    switch (value) {
    case kAdd:
    case kRemove:
        options.spacing = value == kAdd ? Spacing::Add : Spacing::Remove;
        break;
    case kInPlace:
        options.inPlace = true;
        if (optarg && text.empty())
            throw UsageError{
                "--in-place= needs a suffix for the backup copies, e.g. --in-place=.bak"};
        options.backupSuffix = text;
        break;
    case kCheck:
        options.dryRun = options.check = true;
        break;
    case kMarks:
        options.marks = splitCodePoints(text);
        if (options.marks.empty())
            throw UsageError{"--marks needs at least one character, in UTF-8"};
        break;
    case 'j':
        options.jobs = parseJobs(text);
        break;
    case kExt:
        options.patterns = patternsOf(text);
        break;
    case kStories:
        if (text != "main" && text != "all")
            throw UsageError{"--stories takes main or all, not \"" + text + "\""};
        options.allStories = text == "all";
        break;
    case kTrackChanges:
        if (optarg && text.empty())
            throw UsageError{"--track-changes= needs the author's name, e.g. "
                             "--track-changes=\"Ann Lee\""};
        checkAuthor(text);
        options.trackedBy = text;
        break;
    }
}

// A lone "-" would be read as a file of that name; the list of names on
// standard input has its own option.
void addFile(CliOptions& options, const std::string& file) {
    if (file == "-")
        throw UsageError{"\"-\" is not read as standard input: give --files-from - for a list of "
                         "names on standard input, or ./- for a file named \"-\""};
    options.files.push_back(file);
}

void checkCombination(const CliOptions& options, bool sawAdd, bool sawRemove) {
    if (sawAdd && sawRemove)
        throw UsageError{"--add and --remove cannot be used together"};
    if (options.inPlace && options.outFolder)
        throw UsageError{"--out and --in-place cannot be used together"};
    if (options.quiet && options.verbose)
        throw UsageError{"--quiet and --verbose cannot be used together"};
    if (options.nullSeparated && !options.filesFrom)
        throw UsageError{"--null goes with --files-from"};
    if (options.wordsOf && (!options.files.empty() || options.filesFrom))
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
    bool sawAdd = false;
    bool sawRemove = false;
    ::opterr = 0;
    ::optind = 0; // starts afresh, whatever an earlier parse left
    int value;
    while ((value = ::getopt_long(argc, argv, kShortOptions, kOptions, nullptr)) != -1) {
        const std::string text = ::optarg ? ::optarg : "";
        if (value == 1)
            addFile(options, text);
        else if (value == ':')
            throw UsageError{longName(::optopt) + " needs a value"};
        else if (value == '?')
            throw UsageError{refusal(argv[::optind - 1], ::optopt)};
        else
            applyOption(options, value, text);
        sawAdd = sawAdd || value == kAdd;
        sawRemove = sawRemove || value == kRemove;
    }
    // After "--" every argument is a file, "-" too.
    for (int k = ::optind; k < argc; ++k)
        options.files.emplace_back(argv[k]);
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
  -o, --out DIR    save the results into DIR (default: the desktop folder); the
                   documents of a folder keep their place below it; a
                   folder where a result would replace a document is refused
  --in-place       save the results over the documents themselves
  --in-place=SUFFIX  the same, keeping a copy of each document first under
                     its name followed by SUFFIX (e.g. --in-place=.bak)
  -n, --dry-run    change nothing: print every place that would change, as
                   FILE: word N: before -> after, with spaces shown as dots,
                   (FILE: footnote 3: word N: ... outside the body text)
                   and what would be removed: FILE: protection: removed,
                   FILE: frame N: removed, FILE: table position N: removed
  --check          a dry run whose exit status is 1 when anything would
                   change, a removal alone included
  --report FILE    write what the run (or the dry run) did as JSON to FILE:
                   for each document its status, changes (per mark too),
                   frames_removed, table_positions_removed and
                   protection_removed; with --stories all, per story too
  -j, --jobs N     run up to N documents side by side, each job taking the
                   next document when it is free (default: one
                   per core); fewer when the largest documents' memory
                   budgets would not fit together in the available memory
  --files-from LIST  also take the files and folders named in LIST, one
                     a line ("-": read the names from standard input)
  -0, --null       the names of --files-from each end in a NUL character, as
                   find -print0 writes them
  -q, --quiet      tell only the problems: no places, progress or summary
  -v, --verbose    also a line for each document: FILE: STATUS, N changes,
                   and -> OUTPUT when it was saved
  --stories WHICH  main: change the body text only (default); all: also the
                   headers, footers, footnotes, endnotes, comments and text
                   boxes, each on its own
  --track-changes[=AUTHOR]  save each change as a tracked revision by AUTHOR
                   (default: the user's full name, else the login name),
                   dated when the run started
  --yes            proceed even when a word processor is running
  --words FILE     print the words of FILE as the engine numbers them, one
                   JSON string a line
  -h, --help       show this text
  -V, --version    show the version

Options may be shortened while they stay unambiguous (--dry for --dry-run),
one-letter options bundled (-nq), and after -- every argument is a file. A
lone - is refused: --files-from - reads names from standard input.

Each problem is told on standard error as "pellucor-cli: FILE: what went
wrong"; the last line on standard output counts the documents: "N changed,
U unchanged, P protected, F failed". On a terminal, standard error shows the
progress: documents done of all, the current one and the time left.

Besides the spaces, a run removes the frames of framed paragraphs, the
positions of floating tables (they stop floating) and protection that has no
password; a document with any of these is changed even with no space
changed. A document told unchanged is saved byte for byte as it was.

Exit status:
  0  every document was changed or needed no change
  1  a document failed or was protected; with --check, something would change
  2  bad usage, or the output folder does not exist or is a file
  3  a word processor is running and --yes was not given
  130, 143  stopped by SIGINT (Ctrl-C) or SIGTERM after the document in hand,
     with the report and the summary of what was done

Examples:
  pellucor-cli -n letters
          show what a run over the folder letters would change
  find . -name '*.docx' -newer stamp -print0 | pellucor-cli --files-from - -0 -n
          the same for the documents find chose, whatever their names
  pellucor-cli -o spaced --report run.json letters
          save the results below spaced/ as they lie below letters/, and
          tell what was done in run.json
  pellucor-cli --stories all --track-changes="Ann Lee" -o reviewed letters
          change the notes, headers and text boxes too, each change a
          revision by Ann Lee that the word processor can accept or reject
  pellucor-cli --in-place=.bak --ext docx,rtf report.docx drafts
          change report.docx and the .docx and .rtf files below drafts in
          place, keeping each original with .bak added to its name)";
}

} // namespace pellucor::cli
