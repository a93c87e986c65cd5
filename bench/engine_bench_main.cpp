// pellucor-bench-engine: one batch run over one document, for the benchmarks.
//
//   pellucor-bench-engine IN OUT [--mark .] [--stories main|all] [--track-changes] [--repeat N]
//   pellucor-bench-engine --idle
//
// A pass is the batch run that pellucor-cli and the window make, for one
// document and one mark, without their front ends: it opens IN, reads every
// word, adds a space after every match of the mark and saves to OUT; with --stories all it does so
// in every story (headers, footers, notes, comments, text boxes), not only the main one; with
// --track-changes it saves the changes as revisions. By default it runs once, so that timing the
// whole process compares with the floor process. With --repeat N it runs N passes in one process
// and prints each one's time (warm figures). --idle starts and quits the engine without a document:
// the process's own baseline.
#include "base/Error.h"
#include "BatchOfOne.h"
#include "word/Application.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace {

struct Options {
    std::string input;
    std::string output;
    std::string mark = ".";
    pellucor::word::EditOptions edit;
    int repeat = 1;
    bool idle = false;
};

constexpr const char* kUsage = "usage: pellucor-bench-engine IN OUT [--mark M] "
                               "[--stories main|all] [--track-changes] [--repeat N]\n"
                               "       pellucor-bench-engine --idle\n";

bool parseCount(const char* text, int& count) {
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 1 || value > 1000000)
        return false;
    count = static_cast<int>(value);
    return true;
}

bool parseOptions(int argc, char** argv, Options& options) {
    std::vector<std::string> paths;
    for (int arg = 1; arg < argc; ++arg) {
        if (!std::strcmp(argv[arg], "--mark") && arg + 1 < argc) {
            options.mark = argv[++arg];
        } else if (!std::strcmp(argv[arg], "--stories") && arg + 1 < argc) {
            const std::string stories = argv[++arg];
            if (stories != "main" && stories != "all") {
                std::fprintf(stderr,
                             "pellucor-bench-engine: --stories is \"main\" or \"all\", not "
                             "\"%s\"\n",
                             stories.c_str());
                return false;
            }
            options.edit.allStories = stories == "all";
        } else if (!std::strcmp(argv[arg], "--repeat") && arg + 1 < argc) {
            if (!parseCount(argv[++arg], options.repeat)) {
                std::fprintf(stderr,
                             "pellucor-bench-engine: --repeat needs a count from 1 up, "
                             "not \"%s\"\n",
                             argv[arg]);
                return false;
            }
        } else if (!std::strcmp(argv[arg], "--track-changes")) {
            options.edit.trackedBy = pellucor::word::Revisor{"Bench", "2026-01-01T00:00:00Z"};
        } else if (!std::strcmp(argv[arg], "--idle")) {
            options.idle = true;
        } else if (argv[arg][0] == '-' && argv[arg][1] != '\0') {
            std::fprintf(stderr, "pellucor-bench-engine: unknown option %s\n", argv[arg]);
            return false;
        } else {
            paths.push_back(argv[arg]);
        }
    }
    if (options.idle)
        return paths.empty();
    if (paths.size() != 2 || options.mark.empty())
        return false;
    options.input = paths[0];
    options.output = paths[1];
    return true;
}

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

int runPasses(const Options& options) {
    std::vector<double> times;
    for (int pass = 1; pass <= options.repeat; ++pass) {
        auto start = std::chrono::steady_clock::now();
        auto result = pellucor::tools::runBatchOn(options.input, options.output, options.mark,
                                                  pellucor::Word1::Mode::Add, options.edit);
        times.push_back(millisecondsSince(start));
        if (result.result() == pellucor::MarkOutcome::Result::Protected) {
            std::fprintf(stderr, "pellucor-bench-engine: %s is protected; nothing was saved\n",
                         options.input.c_str());
            return 1;
        }
        if (pass == 1)
            std::printf("%s: %d changed, saved to %s\n", options.input.c_str(),
                        result.wordsRewritten(), options.output.c_str());
        if (options.repeat > 1)
            std::printf("pass %d: %.3f ms\n", pass, times.back());
    }
    if (options.repeat > 1) {
        std::vector<double> sorted = times;
        std::sort(sorted.begin(), sorted.end());
        std::printf("passes %d, first %.3f ms, median %.3f ms, min %.3f ms\n", options.repeat,
                    times.front(), sorted[sorted.size() / 2], sorted.front());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    try {
        if (options.idle) {
            pellucor::word::Application::Create().Quit();
            return 0;
        }
        return runPasses(options);
    } catch (const pellucor::Error& error) {
        std::fprintf(stderr, "pellucor-bench-engine: %s: error %d: %s\n", options.input.c_str(),
                     error.number(), error.description().c_str());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "pellucor-bench-engine: %s: %s\n", options.input.c_str(),
                     error.what());
        return 1;
    }
}
