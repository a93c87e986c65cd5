// pellucor-wordwalk: changes the spacing after one mark in one document.
//
//   pellucor-wordwalk [--mark .] [--add | --remove | --none] [--track-changes=AUTHOR] IN OUT
//
// With --track-changes the changes are saved as revisions by AUTHOR, dated now.
#include "base/Error.h"
#include "converter/ConverterService.h"
#include "SpacingWalk.h"

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
    int mode = 1;
    pellucor::word::EditOptions options;
    int arg = 1;
    for (; arg < argc && argv[arg][0] == '-' && argv[arg][1] == '-'; ++arg) {
        if (!std::strcmp(argv[arg], "--mark") && arg + 1 < argc)
            mark = argv[++arg];
        else if (!std::strcmp(argv[arg], "--add"))
            mode = 1;
        else if (!std::strcmp(argv[arg], "--remove"))
            mode = 2;
        else if (!std::strcmp(argv[arg], "--none"))
            mode = 0;
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
        auto result = pellucor::tools::walkDocument(argv[arg], argv[arg + 1], mark, mode, options,
                                                    &conversions);
        std::cout << argv[arg] << ": " << result.words << " words, " << result.changed
                  << " changed, saved to " << argv[arg + 1] << "\n";
    } catch (const pellucor::Error& error) {
        std::cerr << "pellucor-wordwalk: error " << error.number() << ": " << error.description()
                  << "\n";
        status = 1;
    }
    conversions.stop();
    return status;
}
