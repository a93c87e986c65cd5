#pragma once

#include "base/Prompts.h"
#include "BatchRequest.h"
#include "services/MainWindow.h"

#include <string>
#include <vector>

namespace pellucor {

// The main window as a run's observer: the hourglass while the run works,
// each document's share of the list (its rows counted anew) and
// "Processing: " with its name, the walk on the progress bar, pending events
// let in, the display at rest at the end and the boxes shown.
class WindowObserver : public BatchObserver {
public:
    WindowObserver(platform::MainWindow& window, platform::Prompts& prompts)
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
    platform::MainWindow& m_window;
    platform::Prompts& m_prompts;
};

// The ticked marks of the window's list as it stands, in list order.
std::vector<std::string> tickedMarks(platform::MainWindow& window);

} // namespace pellucor
