#pragma once

#include "CliOptions.h"
#include "Console.h"
#include "services/MainWindow.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace pellucor::cli {

// One document of the command line: its place among all given and its path.
struct ListedFile {
    size_t index;
    std::string path;
};

// The choices every job's window shows.
struct WindowSettings {
    Spacing spacing = Spacing::Add;
    std::vector<std::string> marks;
    bool inPlace = false;
    std::string outFolder;
    size_t documentCount = 0; // over all jobs, for the progress line
};

// The main window of one job, without a screen: the job's documents as the
// file list, every mark ticked, the options from the command line. The
// progress text becomes the terminal's progress line, numbered over all jobs.
class CliWindow : public platform::MainWindow {
public:
    CliWindow(const WindowSettings& settings, std::vector<ListedFile> files,
              std::atomic<int>& started, Console& console, std::function<void()> onFirstFile);

    const std::vector<ListedFile>& files() const { return m_files; }

    int FileCount() override { return static_cast<int>(m_files.size()); }
    std::string FileAt(int row) override { return m_files.at(static_cast<size_t>(row - 1)).path; }
    int MarkCount() override { return static_cast<int>(m_settings.marks.size()); }
    std::string MarkAt(int row) override { return m_settings.marks.at(row - 1); }
    bool MarkTicked(int) override { return true; }
    bool Option1() override { return m_settings.spacing == Spacing::Add; }
    bool Option2() override { return m_settings.spacing == Spacing::Remove; }
    bool Option3() override { return !m_settings.inPlace; }
    bool Option4() override { return m_settings.inPlace; }
    std::string Text2() override { return m_settings.outFolder; }
    bool BatchRunning() override { return m_batchRunning; }
    void SetBatchRunning(bool running) override { m_batchRunning = running; }
    int MousePointer() override { return m_pointer; }
    void SetMousePointer(int pointer) override;
    void SetProgressValue(double) override {}
    void SetProgressText(const std::string& text) override;
    void DoEvents() override {}

private:
    const WindowSettings& m_settings;
    std::vector<ListedFile> m_files;
    std::atomic<int>& m_started;
    Console& m_console;
    std::function<void()> m_onFirstFile;
    bool m_batchRunning = false;
    int m_pointer = platform::PointerDefault;
};

} // namespace pellucor::cli
