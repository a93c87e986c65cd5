#pragma once

// The window's test classes; each runs its functions through QTest::qExec and
// returns the number of failures.
namespace pellucor::test {

int runStartTests(int argc, char** argv);
int runControlTests(int argc, char** argv);
int runBatchTests(int argc, char** argv);
int runFileListTests(int argc, char** argv);

} // namespace pellucor::test
