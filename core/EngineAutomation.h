#pragma once

#include "services/WordAutomation.h"
#include "word/Application.h"
#include "word/RunningInstance.h"

namespace pellucor::platform {

// The real engine and the real process table.
class EngineAutomation : public WordAutomation {
public:
    word::Application CreateObject() override { return word::Application::Create(); }
    word::RunningInstance GetObject() override { return word::GetRunningInstance(); }
};

} // namespace pellucor::platform
