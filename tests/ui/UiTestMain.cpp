// The window's tests: one process, a temporary home whose desktop and
// settings folder the window uses, and no screen.
#include "UiTests.h"

#include <cstdio>
#include <QApplication>
#include <QTemporaryDir>

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

    QApplication app(argc, argv);
    // Closing a window in a test must not end the tests that follow.
    QApplication::setQuitOnLastWindowClosed(false);

    using namespace pellucor::test;
    int failures = runStartTests(argc, argv);
    failures += runControlTests(argc, argv);
    failures += runBatchTests(argc, argv);
    failures += runFileListTests(argc, argv);
    return failures == 0 ? 0 : 1;
}
