#pragma once

#include <string>

namespace pellucor::test {

// The path of a document that LibreOffice made from the shared corpus for
// these tests (see LegacyFixtures.cpp for the list). They are made once, by
// the first test process that needs them, and kept in the build tree, so a
// run of many test processes pays for the conversions once.
std::string legacyFixture(const std::string& name);

} // namespace pellucor::test
