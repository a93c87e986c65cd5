#pragma once

#include "word/Application.h"
#include "word/RunningInstance.h"

namespace pellucor::platform {

// How the program reaches the document engine: a new instance, or the word
// processor already running for this user. Tests give a factory that fails.
class WordAutomation {
public:
    virtual ~WordAutomation() = default;
    virtual word::Application CreateObject() = 0;  // raises Error
    virtual word::RunningInstance GetObject() = 0; // raises Error when none runs
};

// The real engine and the real process table.
class EngineAutomation : public WordAutomation {
public:
    word::Application CreateObject() override { return word::Application::Create(); }
    word::RunningInstance GetObject() override { return word::GetRunningInstance(); }
};

} // namespace pellucor::platform
