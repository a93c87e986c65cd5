#pragma once

#include "services/MainWindow.h"

#include <string>

namespace pellucor::ui {

// What "Start Changing" reads of the main window and writes on it: the two
// lists, the options, the output folder, the progress bar. The window
// implements it over its controls, the tests over plain fields.
class BatchWindow : public platform::MainWindow {
public:
    // ListView1: one full path a row, rows 1 to FileCount().
    virtual int FileCount() = 0;
    virtual std::string FileAt(int row) = 0;

    // ListView2: a mark a row, with its tick.
    virtual int MarkCount() = 0;
    virtual std::string MarkAt(int row) = 0;
    virtual bool MarkTicked(int row) = 0;

    virtual bool Option1() = 0;      // add space after sentence punctuation
    virtual bool Option2() = 0;      // remove space after sentence punctuation
    virtual bool Option3() = 0;      // save results to this folder
    virtual bool Option4() = 0;      // save results in folder of original file
    virtual std::string Text2() = 0; // the output folder as typed

    virtual bool BatchRunning() = 0;
    virtual void SetBatchRunning(bool running) = 0;

    virtual void SetProgressValue(double percent) = 0; // 0 to 100
    virtual void SetProgressText(const std::string& text) = 0;
};

} // namespace pellucor::ui
