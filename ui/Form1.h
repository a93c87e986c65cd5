#pragma once

#include "base/Prompts.h"
#include "BatchWindow.h"
#include "FileRows.h"
#include "ListGestures.h"
#include "services/Program.h"
#include "services/WordAutomation.h"
#include "SettingsStore.h"

#include <memory>
#include <QCursor>
#include <QElapsedTimer>
#include <QPoint>
#include <QString>
#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QMimeData;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace pellucor::ui {

// The program's one window. Its controls carry the names the rest of the
// program knows them by; its handlers translate clicks into calls of the
// document processing and settings code.
class Form1 : public QWidget, public BatchWindow {
public:
    Form1(platform::Prompts& prompts, platform::WordAutomation& automation,
          platform::Program& program, SettingsStore& settings, QString programFolder);
    ~Form1() override;

    // The start sequence, run before the window is first shown. Ends the
    // program (Program::End) when no engine instance can be created.
    void Form_Load();

    // Handlers, named after their control and event.
    void PushButton1_Click(); // Add
    void PushButton2_Click(); // Remove Selected Punctuation/Character From List
    void PushButton7_Click(); // Start Changing
    void PushButton8_Click(); // "..."
    void Option3_Click();
    void Option4_Click();
    void Text2_Change();

    // The file list and the ways of filling it.
    void PushButton3_Click(); // Add Word File(s)
    void PushButton4_Click(); // Load Sample/Example Files
    void PushButton5_Click(); // Clear List
    void PushButton6_Click(); // Add All Word File(s) In Folder
    void ListView1_MouseDown();
    void ListView1_ItemClick();
    void ListView1_MouseMove(QPoint position); // in the list's rows area
    void ListView1_MouseUp();
    void ListView1_KeyDown(int key); // a Qt::Key
    void ListView1_DblClick();
    // Whether dragged data would be accepted: it must hold local files.
    bool ListView1_OLEDragOver(const QMimeData* dropped);
    void ListView1_OLEDragDrop(const QMimeData* dropped);
    // ListMouseDown and DragItem, as the drag handlers left them.
    const filelist::ListGestures& listGestures() const { return *m_listGestures; }

    // The application title for boxes without a title of their own.
    static QString SetAppTitle(const QString& productName);
    static constexpr const char* kProductName = "Pellucor";

    // BatchWindow, over the window's controls.
    int FileCount() override;
    std::string FileAt(int row) override;
    int MarkCount() override;
    std::string MarkAt(int row) override;
    bool MarkTicked(int row) override;
    bool Option1() override;
    bool Option2() override;
    bool Option3() override;
    bool Option4() override;
    std::string Text2() override;
    bool BatchRunning() override { return m_batchRunning; }
    void SetBatchRunning(bool running) override { m_batchRunning = running; }
    int MousePointer() override { return m_mousePointer; }
    void SetMousePointer(int pointer) override;
    void SetProgressValue(double percent) override;
    void SetProgressText(const std::string& text) override;
    void DoEvents() override;

    double progressValue() const { return m_progressValue; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void connectHandlers();
    void watchMouseMoves();
    void prepareFileList();
    bool fileListEvent(QObject* watched, QEvent* event);
    void ApplySkin();
    void loadHandPointer();
    void fillPunctuationList();
    void restoreOutputChoice();
    void paintProgressValue();
    void savePunctuationRecord();
    void setOptionFromStore(QRadioButton* option, const std::string& key, int defaultValue,
                            void (Form1::*click)());
    std::string settingOrDefault(const std::string& key, const std::string& defaultValue);

    platform::Prompts& m_prompts;
    platform::WordAutomation& m_automation;
    platform::Program& m_program;
    SettingsStore& m_settings;
    QString m_programFolder;

    bool m_batchRunning = false;
    int m_mousePointer = platform::PointerDefault;
    QCursor m_customPointer;
    double m_progressValue = 0;
    QElapsedTimer m_sinceEvents;
    QElapsedTimer m_sinceBarPaint;
    bool m_barPaintPending = false;
    std::unique_ptr<filelist::FileRows> m_fileRows;
    std::unique_ptr<filelist::Settings> m_fileListSettings;
    std::unique_ptr<filelist::ListGestures> m_listGestures;

public:
    // The controls, named as everywhere in the program.
    QTreeWidget* ListView1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QRadioButton* Option1Button = nullptr;
    QRadioButton* Option2Button = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLineEdit* Text1 = nullptr;
    QTreeWidget* ListView2 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* PushButton1 = nullptr;
    QPushButton* PushButton2 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* PushButton3 = nullptr;
    QPushButton* PushButton6 = nullptr;
    QPushButton* PushButton7 = nullptr;
    QPushButton* PushButton5 = nullptr;
    QPushButton* PushButton4 = nullptr;
    QGroupBox* Frame5 = nullptr;
    QRadioButton* Option3Button = nullptr;
    QRadioButton* Option4Button = nullptr;
    QGroupBox* Frame3 = nullptr;
    QLineEdit* Text2Field = nullptr;
    QPushButton* PushButton8 = nullptr;
};

} // namespace pellucor::ui
