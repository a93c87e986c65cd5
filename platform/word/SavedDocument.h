#pragma once

#include "XmlPart.h"
#include "zip/Package.h"

#include <memory>
#include <vector>

namespace pellucor::word {

// What opening a package costs most to get: the package and its parsed main
// and settings parts, and the parts of the other stories once they were
// walked (their changes live in these DOMs until the package is rewritten).
// A batch keeps them between a mark's save and the next mark's opening.
struct ParsedPackage {
    std::unique_ptr<zip::Package> package;
    std::unique_ptr<XmlPart> main;
    std::unique_ptr<XmlPart> settings;
    std::vector<std::unique_ptr<XmlPart>> storyParts;
};

} // namespace pellucor::word
