#pragma once

#include "base/Prompts.h"
#include "services/MainWindow.h"
#include "services/Program.h"
#include "services/WordAutomation.h"

namespace pellucor {

// What document processing reaches outside itself: the main window, its
// message boxes, the document engine and the program's end.
struct Services {
    platform::MainWindow& window;
    platform::Prompts& prompts;
    platform::WordAutomation& automation;
    platform::Program& program;
};

} // namespace pellucor
