#pragma once

namespace pellucor::word {
class Application;
struct RunningInstance;
} // namespace pellucor::word

namespace pellucor::platform {

// How the program reaches the document engine: a new instance, or the word
// processor already running for this user. Tests give a factory that fails.
// Only the callers and the implementations see the engine's types.
class WordAutomation {
public:
    virtual ~WordAutomation() = default;
    virtual word::Application CreateObject() = 0;  // raises Error
    virtual word::RunningInstance GetObject() = 0; // raises Error when none runs
};

} // namespace pellucor::platform
