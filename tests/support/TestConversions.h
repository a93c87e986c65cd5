#pragma once

#include "converter/ConverterService.h"

namespace pellucor::test {

// The LibreOffices the engine instances of a test program share, as a
// program's share the ones it owns: made before the first test and stopped
// after the last.
converter::ConverterService& testConversions();

} // namespace pellucor::test
