// The window's tests: one process, a temporary home whose desktop and
// settings folder the window uses, and no screen.
#include "support/TestConversions.h"
#include "UiTests.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The scripted prompts report a box nobody answers as a GoogleTest failure,
// which QtTest knows nothing of: fail the running test function with it, so
// the failure is counted and names that function.
class FailTheRunningTest : public testing::EmptyTestEventListener {
    void OnTestPartResult(const testing::TestPartResult& result) override {
        if (!result.failed())
            return;
        QByteArray message = result.message();
        if (message.startsWith("Failed\n")) // ADD_FAILURE's heading
            message.remove(0, 7);
        const char* file = result.file_name() ? result.file_name() : "";
        if (QTest::currentTestFunction())
            QTest::qFail(message.constData(), file, result.line_number());
        else
            std::fprintf(stderr, "FAIL!  : outside any test: %s\n   Loc: [%s(%d)]\n",
                         message.constData(), file, result.line_number());
    }
};

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    if (!home.isValid()) {
        std::fprintf(stderr, "ui_tests: cannot create a temporary home folder\n");
        return 1;
    }
    // Read by QStandardPaths and SettingsStore, so set before the application exists.
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit());
    qunsetenv("XDG_DESKTOP_DIR");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    testing::TestEventListeners& listeners = testing::UnitTest::GetInstance()->listeners();
    delete listeners.Release(listeners.default_result_printer()); // QtTest prints instead
    listeners.Append(new FailTheRunningTest);

    QApplication app(argc, argv);
    // Closing a window in a test must not end the tests that follow.
    QApplication::setQuitOnLastWindowClosed(false);

    using namespace pellucor::test;
    int failures = runStartTests(argc, argv);
    failures += runControlTests(argc, argv);
    failures += runBatchTests(argc, argv);
    failures += runFileListTests(argc, argv);
    testConversions().stop(); // no GoogleTest run here stops them
    bool strayFailure = testing::UnitTest::GetInstance()->Failed();
    return failures == 0 && !strayFailure ? 0 : 1;
}
