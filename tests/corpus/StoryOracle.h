#pragma once

#include "word/EditOptions.h"

#include <map>
#include <string>

namespace pellucor::test {

// How often a full stop is followed by two spaces or more in each kind of
// story of a package, read straight from its parts' w:t elements, without
// the engine: the main part's body, the headers and footers its sections
// name, the notes other than separators, the comments, and every text box
// once (a fallback is not read; a box within a box counts as a box). What no
// story shows is left out: deleted and moved-away text, and a ruby.
std::map<word::StoryKind, int> doubleSpacesByKind(const std::string& packagePath);

// The same count in a story's text.
int doubleSpacesIn(const std::string& text);

} // namespace pellucor::test
