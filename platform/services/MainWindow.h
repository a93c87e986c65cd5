#pragma once

#include <string>

namespace pellucor::platform {

// Window pointer values the program uses.
enum Pointer : int {
    PointerDefault = 0,
    PointerArrow = 1,
    PointerHourglass = 11,
    PointerCustom = 99
};

// What document processing reads and writes on the main window: the two
// lists, the options, the output folder, the pointer, the progress bar and the
// event queue. The window implements it over its controls; the command line
// and the tests have their own.
class MainWindow {
public:
    virtual ~MainWindow() = default;

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

    virtual int MousePointer() = 0;
    virtual void SetMousePointer(int pointer) = 0;

    virtual void SetProgressValue(double percent) = 0; // 0 to 100
    virtual void SetProgressText(const std::string& text) = 0;

    // Lets pending window events run once.
    virtual void DoEvents() = 0;
};

} // namespace pellucor::platform
