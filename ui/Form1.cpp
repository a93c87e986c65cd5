#include "Form1.h"

#include "ApplicationTitle.h"
#include "base/Error.h"
#include "base/ErrorTrap.h"
#include "base/PathHelpers.h"
#include "BatchRun.h"
#include "FocusRingStyle.h"
#include "services/SettingKeys.h"
#include "Word1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

namespace pellucor::ui {
namespace {

QString fromStd(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

Form1::Form1(platform::Prompts& prompts, platform::WordAutomation& automation,
             platform::Program& program, SettingsStore& settings, QString programFolder)
    : m_prompts(prompts), m_automation(automation), m_program(program), m_settings(settings),
      m_programFolder(std::move(programFolder)) {
    buildLayout();
    auto* focusStyle = new FocusRingStyle();
    focusStyle->setParent(this); // outlives the controls, which are older children
    for (QWidget* control : findChildren<QWidget*>())
        control->setStyle(focusStyle);
    connectHandlers();
    watchMouseMoves();
    prepareFileList();
    m_sinceEvents.start();
    m_sinceBarPaint.start();
}

void Form1::connectHandlers() {
    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Click(); });
    // Return in the one-character field adds the mark, as "Add" does.
    connect(Text1, &QLineEdit::returnPressed, PushButton1, &QPushButton::click);
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Click(); });
    connect(PushButton7, &QPushButton::clicked, this, [this] { PushButton7_Click(); });
    connect(PushButton8, &QPushButton::clicked, this, [this] { PushButton8_Click(); });
    connect(Option3Button, &QRadioButton::clicked, this, [this] { Option3_Click(); });
    connect(Option4Button, &QRadioButton::clicked, this, [this] { Option4_Click(); });
    connect(Text2Field, &QLineEdit::textChanged, this, [this] { Text2_Change(); });
}

QString Form1::SetAppTitle(const QString& productName) {
    QString title = productName;
    do {
        int blank = title.lastIndexOf(' ');
        if (blank < 0)
            break; // a name of one word is its own short form
        title = title.left(blank);
    } while (title.size() > 40);
    return title;
}

// ---- the start sequence ----------------------------------------------------

void Form1::Form_Load() {
    ErrorTrap trap(m_prompts, "Form1", "Form_Load");
    trap(1, [&] { ApplySkin(); });
    trap(2, [&] { loadHandPointer(); });
    trap(3, [&] {
        setWindowTitle(kProductName);
        QIcon icon(m_programFolder + "/pellucor.png");
        if (!icon.isNull())
            setWindowIcon(icon);
        setApplicationTitle(SetAppTitle(kProductName));
    });
    trap(4, [&] {
        ListView1->setHeaderLabels({QStringLiteral(" Word File(s)")});
        ListView1->setColumnWidth(0, 7000 / 15);
    });
    trap(5, [&] {
        ListView2->setHeaderLabels({QStringLiteral("Punctuation/Character(s)")});
        ListView2->setColumnWidth(0, 6500 / 15);
    });
    trap(6, [&] { fillPunctuationList(); });
    trap(7, [&] {
        Text2Field->setText(fromStd(
            settingOrDefault(keys::kOutputFolder.name, keys::kOutputFolder.defaultValue())));
    });
    restoreOutputChoice(); // steps 8 and 9, under the same trap
    Services services{m_prompts, m_automation, m_program};
    IsInstalled::CheckWordCanStart(services); // step 10
}

void Form1::ApplySkin() {
    QString skin = m_programFolder + "/x/o.cjs";
    if (!QFile::exists(skin))
        return;
    QPalette face = palette();
    face.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    setPalette(face);
    for (QWidget* child : findChildren<QWidget*>())
        if (qobject_cast<QRadioButton*>(child) || qobject_cast<QGroupBox*>(child) ||
            qobject_cast<QLabel*>(child)) {
            child->setAutoFillBackground(true);
            child->setPalette(face);
        }
    QFile file(skin);
    if (file.open(QIODevice::ReadOnly))
        setStyleSheet(QString::fromUtf8(file.readAll()));
}

// A cursor file keeps its click point in its first directory entry, where an
// icon file keeps its planes and bit count.
static QPoint hotSpotOf(const QString& path) {
    QFile file(path);
    QByteArray head = file.open(QIODevice::ReadOnly) ? file.read(14) : QByteArray();
    if (head.size() < 14 || head[0] || head[1] || head[2] != 2 || head[3])
        return {0, 0};
    auto word = [&](int at) { return quint8(head[at]) | quint8(head[at + 1]) << 8; };
    return {word(10), word(12)};
}

void Form1::loadHandPointer() {
    QString hand = m_programFolder + "/HAND-M.CUR";
    if (!FileExists(hand.toStdString()))
        return;
    QPixmap picture(hand);
    QPoint hotSpot = hotSpotOf(hand);
    if (!picture.isNull())
        m_customPointer = QCursor(picture, hotSpot.x(), hotSpot.y());
}

std::string Form1::settingOrDefault(const std::string& key, const std::string& defaultValue) {
    return m_settings.GetSetting(key, defaultValue);
}

void Form1::fillPunctuationList() {
    ErrorTrap trap(m_prompts, "Form1", "Form_Load");
    auto marks = splitRecord(
        m_settings.GetSetting(keys::kPunctuations.name, keys::kPunctuations.defaultValue));
    auto flags = splitRecord(m_settings.GetSetting(keys::kPunctuationsTicked.name,
                                                   keys::kPunctuationsTicked.defaultValue));
    for (size_t i = 0; i < marks.size(); ++i) {
        auto* row = new QTreeWidgetItem(ListView2, {fromStd(marks[i])});
        row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
        row->setCheckState(0, Qt::Unchecked);
        trap(6, [&] {
            if (i >= flags.size())
                throw Error(ErrorNumber::SubscriptOutOfRange, "Subscript out of range");
            if (truthOf(flags[i]))
                row->setCheckState(0, Qt::Checked);
        });
    }
}

void Form1::restoreOutputChoice() {
    ErrorTrap trap(m_prompts, "Form1", "Form_Load");
    trap(8, [&] {
        setOptionFromStore(Option3Button, keys::kSaveToOutputFolder.name,
                           keys::kSaveToOutputFolder.defaultValue, &Form1::Option3_Click);
    });
    trap(8, [&] {
        setOptionFromStore(Option4Button, keys::kSaveBesideOriginal.name,
                           keys::kSaveBesideOriginal.defaultValue, &Form1::Option4_Click);
    });
    // Stored values that select neither (an old or hand-edited file) would
    // leave a run without a place for its results. The default is shown; the
    // stored values stay as they are until the user picks an option.
    trap(8, [&] {
        if (!Option3Button->isChecked() && !Option4Button->isChecked())
            Option3Button->setChecked(true);
    });
    trap(9, [&] { Frame3->setEnabled(Option3Button->isChecked()); });
}

// Selecting an option that was not selected runs its click handling, as a
// click would; setting the state it already has does nothing.
void Form1::setOptionFromStore(QRadioButton* option, const std::string& key, int defaultValue,
                               void (Form1::*click)()) {
    bool selected = truthOf(m_settings.GetSetting(key, std::to_string(defaultValue)));
    if (selected == option->isChecked())
        return;
    if (!selected) {
        option->setAutoExclusive(false);
        option->setChecked(false);
        option->setAutoExclusive(true);
        return;
    }
    option->setChecked(true);
    (this->*click)();
}

// ---- closing ---------------------------------------------------------------

void Form1::closeEvent(QCloseEvent* event) {
    ErrorTrap trap(m_prompts, "Form1", "Form_QueryUnload");
    trap(1, [&] { savePunctuationRecord(); });
    trap(2, [&] { QCoreApplication::processEvents(); });
    event->accept();
    try {
        m_program.End();
    } catch (const platform::ProgramEnded&) {
        // a program that cannot end the process: the window just closes
    }
}

void Form1::savePunctuationRecord() {
    std::vector<MarkRow> rows;
    for (int i = 0; i < ListView2->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = ListView2->topLevelItem(i);
        rows.push_back({row->text(0).toStdString(), row->checkState(0) == Qt::Checked});
    }
    auto [marks, flags] = punctuationRecord(rows);
    m_settings.SaveSetting(keys::kPunctuations.name, marks);
    m_settings.SaveSetting(keys::kPunctuationsTicked.name, flags);
}

} // namespace pellucor::ui
