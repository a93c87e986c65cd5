#pragma once

namespace pellucor::platform {

// Thrown by Program::End implementations that cannot stop the process (tests,
// worker threads) to unwind to whoever runs the program. Deliberately not a
// std::exception, so that no error trap takes it for an error.
struct ProgramEnded {};

// Ending the program at once, skipping every closing step of the window.
class Program {
public:
    virtual ~Program() = default;
    [[noreturn]] virtual void End() = 0;
};

} // namespace pellucor::platform
