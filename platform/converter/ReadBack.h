#pragma once

#include <string>
#include <string_view>

namespace pellucor::converter {

// Compares the text LibreOffice meant to save with the text the saved file
// reads back as, both as its plain-text export writes them (UTF-8, one
// paragraph a line). What LibreOffice's own round trip changes does not
// count: empty paragraphs, spaces at either end of a paragraph, and the width
// of a run of blanks, except after punctuation, where the spacing is what the
// program changes; there a no-break space beside a space reads as a space, as
// web pages write it. Returns "" when both say the same, or the first
// difference in plain words.
std::string readBackDifference(std::string_view intended, std::string_view readBack);

} // namespace pellucor::converter
