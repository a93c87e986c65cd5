// The oracle of the spacing tests must refuse every change other than one
// space added after ". ", or the corpus tests would pass on a broken walk.
#include "SpacingOracle.h"

#include <gtest/gtest.h>

namespace pellucor::test {
namespace {

struct OracleCase {
    const char* what;
    const char* shorter;
    const char* longer;
    int added; // -1: must be refused
};

class SpacingOracle : public ::testing::TestWithParam<OracleCase> {};

TEST_P(SpacingOracle, AcceptsOnlyOneSpaceAddedAfterDotSpace) {
    const OracleCase& c = GetParam();
    SpaceDiff diff = spacesAddedAfterDot(c.shorter, c.longer);
    if (c.added < 0) {
        EXPECT_NE(diff.mismatch, "") << c.what;
    } else {
        EXPECT_EQ(diff.mismatch, "") << c.what;
        EXPECT_EQ(diff.added, c.added) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpacingOracle,
    ::testing::Values(OracleCase{"same text", "It ends. Next\r", "It ends. Next\r", 0},
                      OracleCase{"two sentences", "A. B. C\r", "A.  B.  C\r", 2},
                      OracleCase{"before a paragraph mark", "end. \r", "end.  \r", 1},
                      OracleCase{"ellipsis", "Wait... what", "Wait...  what", 1},
                      OracleCase{"space after a word", "a b", "a  b", -1},
                      OracleCase{"two spaces added", "a. b", "a.   b", -1},
                      OracleCase{"after a double space", "a.  b", "a.   b", -1},
                      OracleCase{"a space removed", "a.  b", "a. b", -1},
                      OracleCase{"a letter changed", "a. b", "a.  c", -1},
                      OracleCase{"text lost at the end", "a. b c", "a.  b", -1}),
    [](const auto& test) { return "Case" + std::to_string(test.index); });

} // namespace
} // namespace pellucor::test
