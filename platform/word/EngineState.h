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
    bool quit = false;
    bool displayAlerts = true;
    std::unique_ptr<WordSegmenter> segmenter;
    LegacyConverter converter; // its private folder goes at Quit or with the engine
    std::vector<std::shared_ptr<DocumentState>> documents;

    void ensureAlive() const;
};

} // namespace pellucor::word
