#pragma once

#include "services/WordAutomation.h"
#include "word/Application.h"
#include "word/RunningInstance.h"

namespace pellucor::platform {

// The real engine and the real process table. The engine instances it
// creates share the program's pool of LibreOffices when one is given; it
// must outlive them.
class EngineAutomation : public WordAutomation {
public:
    explicit EngineAutomation(converter::ConverterService* conversions = nullptr)
        : m_conversions(conversions) {}
    word::Application CreateObject() override { return word::Application::Create(m_conversions); }
    word::RunningInstance GetObject() override { return word::GetRunningInstance(); }

private:
    converter::ConverterService* m_conversions;
};

} // namespace pellucor::platform
