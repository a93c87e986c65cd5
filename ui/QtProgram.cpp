#include "QtProgram.h"

#include <cstdio>
#include <cstdlib>

namespace pellucor::ui {

void QtProgram::End() {
    m_settings.sync();
    m_conversions.stop();
    std::fflush(nullptr);
    std::_Exit(0);
}

} // namespace pellucor::ui
