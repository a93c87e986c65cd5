#include "TestConversions.h"

#include <gtest/gtest.h>

namespace pellucor::test {
namespace {

class Conversions : public ::testing::Environment {
public:
    void TearDown() override { pool.stop(); }
    converter::ConverterService pool;
};

Conversions* const g_conversions =
    static_cast<Conversions*>(::testing::AddGlobalTestEnvironment(new Conversions));

} // namespace

converter::ConverterService& testConversions() {
    return g_conversions->pool;
}

} // namespace pellucor::test
