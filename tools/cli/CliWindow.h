#pragma once

#include "CliOptions.h"
#include "Console.h"
#include "Progress.h"
#include "services/MainWindow.h"

#include <functional>
#include <string>
#include <vector>

namespace pellucor::cli {

// One document of the command line: its place among all given, its path,
// and the folder below the output folder its result goes to (the folder it
// was found in, relative to the folder given; empty for a document given
// itself).
struct ListedFile {
    size_t index;
    std::string path;
    std::string subfolder;
};

// The choices every job's window shows.
struct WindowSettings {
    Spacing spacing = Spacing::Add;
    std::vector<std::string> marks;
    bool inPlace = false;
    std::string outFolder;
};

// Makes the folders of subfolder (a relative path) below root that are
// missing. Throws an Error naming the first that is a symbolic link; any other
// failure is left to the save into it to report.
void makeFolderBelow(const std::string& root, const std::string& subfolder);

// The main window of one job, without a screen: the job's documents as the
// file list, every mark ticked, the options from the command line. The
// progress text becomes the terminal's progress line, numbered over all jobs.
// The output folder read while a document is processed is that document's
// own, created when the engine is about to save there. The command line
// refuses results that would land on each other itself, knowing the mirrored
// tree, so the run's own check by file name alone is not asked for.
class CliWindow : public platform::MainWindow {
public:
    CliWindow(const WindowSettings& settings, std::vector<ListedFile> files, Progress& progress,
              std::function<void()> onFirstFile);

    const std::vector<ListedFile>& files() const { return m_files; }

    int FileCount() override { return static_cast<int>(m_files.size()); }
    std::string FileAt(int row) override { return m_files.at(static_cast<size_t>(row - 1)).path; }
    int MarkCount() override { return static_cast<int>(m_settings.marks.size()); }
    std::string MarkAt(int row) override { return m_settings.marks.at(row - 1); }
    bool MarkTicked(int) override { return true; }
    bool Option1() override { return m_settings.spacing == Spacing::Add; }
    bool Option2() override { return m_settings.spacing == Spacing::Remove; }
    bool Option3() override;
    bool Option4() override { return m_settings.inPlace; }
    std::string Text2() override;
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
    Progress& m_progress;
    const ListedFile* m_current = nullptr; // the document begun last
    size_t m_begun = 0;
    bool m_inDocument = false;
    std::function<void()> m_onFirstFile;
    bool m_batchRunning = false;
    int m_pointer = platform::PointerDefault;
};

} // namespace pellucor::cli
