#pragma once

#include "base/Prompts.h"
#include "services/Program.h"
#include "services/WordAutomation.h"

namespace pellucor {

// What the program's checks reach outside themselves: the message boxes, the
// document engine and the program's end.
struct Services {
    platform::Prompts& prompts;
    platform::WordAutomation& automation;
    platform::Program& program;
};

} // namespace pellucor
