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

// The first difference between what was meant and what the saved file reads
// back as that LibreOffice's own round trip of the unchanged document (its
// text before saving and read back) does not explain: the saved file must
// read as that round trip does, blanks aside, and every paragraph that reads
// as one meant must keep the spacing meant. "" when all is explained.
std::string unexplainedReadBackDifference(std::string_view intended, std::string_view readBack,
                                          std::string_view unchangedIntended,
                                          std::string_view unchangedReadBack);

} // namespace pellucor::converter
