#pragma once

#include <cstdint>

namespace pellucor::Word1 {

// What a pass does after each mark: nothing, one space added after a single
// one, or one of two taken away.
enum class Mode : int16_t { None = 0, Add = 1, Remove = 2 };

} // namespace pellucor::Word1
