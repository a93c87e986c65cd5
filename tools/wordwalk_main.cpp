// pellucor-wordwalk: changes the spacing after one mark in one document,
// through the same batch run as pellucor-cli, and saves the result as OUT.
//
//   pellucor-wordwalk [--mark .] [--add | --remove | --none] [--track-changes=AUTHOR] IN OUT
//
// With --track-changes the changes are saved as revisions by AUTHOR, dated now.
#include "base/Error.h"
#include "BatchOfOne.h"
#include "converter/ConverterService.h"

#include <cstring>
#include <ctime>
#include <iostream>

namespace {

std::string utcNow() {
    char text[32];
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

} // namespace

int main(int argc, char** argv) {
    std::string mark = ".";
    auto mode = pellucor::Word1::Mode::Add;
    pellucor::word::EditOptions options;
    int arg = 1;
    for (; arg < argc && argv[arg][0] == '-' && argv[arg][1] == '-'; ++arg) {
        if (!std::strcmp(argv[arg], "--mark") && arg + 1 < argc)
            mark = argv[++arg];
        else if (!std::strcmp(argv[arg], "--add"))
            mode = pellucor::Word1::Mode::Add;
        else if (!std::strcmp(argv[arg], "--remove"))
            mode = pellucor::Word1::Mode::Remove;
        else if (!std::strcmp(argv[arg], "--none"))
            mode = pellucor::Word1::Mode::None;
        else if (!std::strncmp(argv[arg], "--track-changes=", 16))
            options.trackedBy = pellucor::word::Revisor{argv[arg] + 16, utcNow()};
        else {
            std::cerr << "pellucor-wordwalk: unknown option " << argv[arg] << "\n";
            return 2;
        }
    }
    if (argc - arg != 2) {
        std::cerr << "usage: pellucor-wordwalk [--mark M] [--add|--remove|--none] "
                     "[--track-changes=AUTHOR] IN OUT\n";
        return 2;
    }
    // Another format goes through a LibreOffice of the program's own, stopped
    // before it ends.
    pellucor::converter::ConverterService conversions;
    int status = 0;
    try {
        auto result = pellucor::tools::runBatchOn(argv[arg], argv[arg + 1], mark, mode, options,
                                                  &conversions);
        if (result.result() == pellucor::MarkOutcome::Result::Protected) {
            std::cerr << "pellucor-wordwalk: " << argv[arg]
                      << ": protected, and its protection could not be removed; nothing saved\n";
            status = 1;
        } else {
            std::cout << argv[arg] << ": " << result.wordsRewritten() << " changed, saved to "
                      << argv[arg + 1] << "\n";
        }
    } catch (const pellucor::Error& error) {
        std::cerr << "pellucor-wordwalk: error " << error.number() << ": " << error.description()
                  << "\n";
        status = 1;
    } catch (const std::exception& error) {
        std::cerr << "pellucor-wordwalk: " << error.what() << "\n";
        status = 1;
    }
    conversions.stop();
    return status;
}
