#pragma once

namespace pellucor::platform {

// Window pointer values the program uses.
enum Pointer : int {
    PointerDefault = 0,
    PointerArrow = 1,
    PointerHourglass = 11,
    PointerCustom = 99
};

// What filling the file list needs of the main window while it works: the
// pointer and the event queue.
class MainWindow {
public:
    virtual ~MainWindow() = default;

    virtual int MousePointer() = 0;
    virtual void SetMousePointer(int pointer) = 0;

    // Lets pending window events run once.
    virtual void DoEvents() = 0;
};

} // namespace pellucor::platform
