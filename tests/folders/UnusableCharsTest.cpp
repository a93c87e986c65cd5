// The name test in both code pages: which characters make a folder name
// unusable.

#include "AddFolder.h"

#include <gtest/gtest.h>

namespace pellucor::test {
namespace {

using AddFolder::CodePage;
using AddFolder::HasUnusableChars;

struct NameCase {
    std::string label;
    std::string name; // UTF-8
    bool unusableInUtf8;
    bool unusableIn1252;
};

std::ostream& operator<<(std::ostream& out, const NameCase& c) {
    return out << c.label;
}

class UnusableChars : public ::testing::TestWithParam<NameCase> {};

TEST_P(UnusableChars, InBothCodePages) {
    const NameCase& c = GetParam();
    EXPECT_EQ(HasUnusableChars(c.name), c.unusableInUtf8) << "UTF-8";
    EXPECT_EQ(HasUnusableChars(c.name, CodePage::Utf8), c.unusableInUtf8) << "UTF-8";
    EXPECT_EQ(HasUnusableChars(c.name, CodePage::Windows1252), c.unusableIn1252) << "Windows-1252";
}

INSTANTIATE_TEST_SUITE_P(
    AddFolder, UnusableChars,
    ::testing::Values(
        NameCase{"Empty", "", false, false}, NameCase{"Plain", "Reports 2021", false, false},
        NameCase{"Tab", "a\tb", true, true}, NameCase{"Unit31", "a\x1f", true, true},
        NameCase{"Space32", " ", false, false}, NameCase{"QuestionMark", "why?", true, true},
        NameCase{"Delete127", "a\x7f", true, true}, NameCase{"C1First", "a\xc2\x80", true, true},
        NameCase{"C1Last", "a\xc2\x9f", true, true},
        NameCase{"NoBreakSpace160",
                 "a\xc2\xa0"
                 "b",
                 false, false},
        NameCase{"EAcute233", "caf\xc3\xa9", false, false},
        NameCase{"YDiaeresis255", "\xc3\xbf", false, false},
        NameCase{"Euro", "\xe2\x82\xac", false, true},
        NameCase{"LeftQuote145", "\xe2\x80\x98quoted", false, true},
        NameCase{"OmegaOutside1252", "\xce\xa9", false, true},
        NameCase{"CjkOutside1252", "\xe6\x97\xa5\xe6\x9c\xac", false, true},
        NameCase{"AstralOutside1252", "\xf0\x9f\x98\x80", false, true},
        NameCase{"InvalidByte", "a\xff", true, true}, NameCase{"Overlong", "\xc0\xaf", true, true},
        NameCase{"EncodedSurrogate", "\xed\xa0\x80", true, true},
        NameCase{"CutShort", "a\xe2\x82", true, true}),
    [](const auto& test) { return test.param.label; });

} // namespace
} // namespace pellucor::test
