#pragma once

#include "converter/LegacyConverter.h"
#include "DocumentState.h"
#include "WordSegmenter.h"

#include <memory>
#include <vector>

namespace pellucor::word {

// What one application instance owns. Handles keep it alive; once quit, every
// handle's use raises Error.
struct EngineState {
    explicit EngineState(converter::ConverterService* conversions) : converter(conversions) {}

    bool quit = false;
    bool displayAlerts = true;
    std::unique_ptr<WordSegmenter> segmenter;
    LegacyConverter converter; // its private folder goes at Quit or with the engine
    std::vector<std::shared_ptr<DocumentState>> documents;

    // Asked at every step of every handle, so only the failure is out of line.
    void ensureAlive() const {
        if (quit) [[unlikely]]
            failQuit();
    }
    [[noreturn]] static void failQuit();
};

} // namespace pellucor::word
