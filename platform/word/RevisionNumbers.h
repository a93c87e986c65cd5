#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pellucor::zip {
class Package;
}

namespace pellucor::word {

class MemoryBudget;
class XmlPart;

// The first number that no revision, comment or bookmark of the document
// uses, from one read of every part its relationships reach, from the
// package's own on and in any folder. A part parsed already is read from its
// DOM; any other is inflated within the budget and let go after. A part that
// no relationship reaches is never read, so it cannot fail the document.
int64_t firstFreeRevisionId(const zip::Package& package, const std::vector<const XmlPart*>& parsed,
                            MemoryBudget& budget, const std::string& path);

} // namespace pellucor::word
