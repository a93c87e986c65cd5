#pragma once

#include <string>
#include <string_view>

namespace pellucor::test {

// How `longer` differs from `shorter` when the only allowed change is one
// space added after ". " (a full stop and exactly one space, not followed by
// another space): the number of such spaces, or, at the first other
// difference, a description of where the texts part.
struct SpaceDiff {
    int added = 0;
    std::string mismatch; // empty when the texts differ only so
};

SpaceDiff spacesAddedAfterDot(std::string_view shorter, std::string_view longer);

} // namespace pellucor::test
