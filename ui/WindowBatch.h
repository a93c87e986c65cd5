#pragma once

#include "base/Prompts.h"
#include "BatchRequest.h"
#include "BatchWindow.h"
#include "Outcome.h"
#include "Services.h"

#include <string>
#include <vector>

namespace pellucor::ui {

// The progress text while no document is being worked on.
inline constexpr const char* kProgressAtRest = "Progress Bar";

// What "Start Changing" reaches: the main window and the rest of the program.
struct WindowServices : Services {
    BatchWindow& window;
};

// The main window as a run's observer: the hourglass while the run works,
// each document's share of the list (its rows counted anew) and
// "Processing: " with its name, the walk on the progress bar, pending events
// let in, the display at rest at the end and the boxes shown.
class WindowObserver : public BatchObserver {
public:
    WindowObserver(BatchWindow& window, platform::Prompts& prompts)
        : m_window(window), m_prompts(prompts) {}

    void busy() override;
    void documentShare(size_t index) override;
    void documentStarted(size_t index, const std::string& path) override;
    void letEventsIn() override { m_window.DoEvents(); }
    void progress(double percent) override { m_window.SetProgressValue(percent); }
    void idle() override;
    void runEnded(const BatchOutcome& outcome) override;
    void showBox(const std::string& text) override;

private:
    BatchWindow& m_window;
    platform::Prompts& m_prompts;
};

// The ticked marks of the window's list as it stands, in list order.
std::vector<std::string> tickedMarks(BatchWindow& window);

// "Start Changing": every listed file, once for each ticked mark in list
// order, with the hourglass and the progress bar showing the work; "Done."
// at the end. A run starts only when the checks before a run find nothing
// (their boxes say what they found) and the user does not stop for a running
// word processor. A second start while one runs does nothing.
BatchOutcome RunBatch(WindowServices& services);

} // namespace pellucor::ui
