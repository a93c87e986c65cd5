#pragma once

#include <initializer_list>
#include <string_view>

namespace pellucor::word {

// Whether text holds any of the needles anywhere; an empty needle is always held.
bool holdsAny(std::string_view text, std::initializer_list<std::string_view> needles);

} // namespace pellucor::word
