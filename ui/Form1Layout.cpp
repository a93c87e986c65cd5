// The window's controls at their fixed places: positions are given in twips,
// 15 to a pixel at 96 dpi.
#include "Form1.h"
#include "OneCharacterValidator.h"
#include "ShownTextBar.h"

#include <QFont>
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

constexpr int kTwipsPerPixel = 15;

QRect twips(int left, int top, int width, int height) {
    return QRect(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
                 height / kTwipsPerPixel);
}

QFont boldFont(double points) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

template <typename Widget> Widget* place(QWidget* parent, const char* name, QRect geometry) {
    auto* widget = new Widget(parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    return widget;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption, QRect geometry) {
    auto* pushButton = place<QPushButton>(parent, name, geometry);
    pushButton->setText(QString::fromUtf8(caption));
    pushButton->setFont(boldFont(11.25));
    // Return and Enter press the button that has the focus, as Space does.
    pushButton->setAutoDefault(true);
    return pushButton;
}

QRadioButton* option(QWidget* parent, const char* name, const char* caption, QRect geometry) {
    auto* radio = place<QRadioButton>(parent, name, geometry);
    radio->setText(QString::fromUtf8(caption));
    return radio;
}

QGroupBox* frame(QWidget* parent, const char* name, const char* caption, QRect geometry) {
    auto* group = place<QGroupBox>(parent, name, geometry);
    group->setTitle(QString::fromUtf8(caption));
    return group;
}

QTreeWidget* listView(QWidget* parent, const char* name, QRect geometry) {
    auto* list = place<QTreeWidget>(parent, name, geometry);
    list->setColumnCount(1);
    list->setRootIsDecorated(false);
    list->setHeaderHidden(false);
    list->header()->setStretchLastSection(false);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    return list;
}

} // namespace

void Form1::buildLayout() {
    setObjectName(QStringLiteral("Form1"));
    setFixedSize(8040 / kTwipsPerPixel, 9900 / kTwipsPerPixel);
    setFont(boldFont(9));
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    ListView1 = listView(this, "ListView1", twips(120, 120, 7800, 1575));
    ListView1->setToolTip(QStringLiteral(
        "Drag and drop files here. Double-click item to remove it. Move | line to right and out "
        "of window to reveal full names."));

    PushButton3 = button(this, "PushButton3", "Add Word File(s)", twips(120, 1800, 3840, 405));
    PushButton6 =
        button(this, "PushButton6", "Add All Word File(s) In Folder", twips(4080, 1800, 3840, 405));
    PushButton5 = button(this, "PushButton5", "Clear List", twips(120, 2310, 3840, 405));
    PushButton4 =
        button(this, "PushButton4", "Load Sample/Example Files", twips(4080, 2310, 3840, 405));

    Frame1 = frame(this, "Frame1", "Spacing Options", twips(120, 2790, 7800, 1050));
    Option1Button = option(Frame1, "Option1", "Add space after sentence punctuation",
                           twips(240, 300, 3735, 255));
    Option2Button = option(Frame1, "Option2", "Remove space after sentence punctuation",
                           twips(240, 650, 4095, 255));
    Option1Button->setChecked(true);

    Frame2 =
        frame(this, "Frame2", "Punctuation/Characters To Consider", twips(120, 3900, 7800, 2955));
    Label1 = place<QLabel>(Frame2, "Label1", twips(240, 360, 1965, 225));
    Label1->setText(QStringLiteral("Punctuation/Character:"));
    Text1 = place<QLineEdit>(Frame2, "Text1", twips(2475, 300, 2460, 345));
    Text1->setValidator(new OneCharacterValidator(Text1));
    PushButton1 = button(Frame2, "PushButton1", "Add", twips(5040, 300, 2490, 345));
    ListView2 = listView(Frame2, "ListView2", twips(240, 765, 7335, 1485));
    ListView2->setToolTip(
        QStringLiteral("Move | line to right and out of window to reveal full names."));
    PushButton2 = button(Frame2, "PushButton2", "Remove Selected Punctuation/Character From List",
                         twips(240, 2355, 7335, 405));

    Frame5 = frame(this, "Frame5", "Save Option", twips(120, 6930, 7800, 1815));
    Option3Button =
        option(Frame5, "Option3", "Save results to this folder:", twips(240, 300, 3615, 255));
    Frame3 = frame(Frame5, "Frame3", "", twips(480, 510, 6840, 810));
    Frame3->setFlat(true);
    Text2Field = place<QLineEdit>(Frame3, "Text2", twips(240, 300, 5670, 345));
    PushButton8 = button(Frame3, "PushButton8", "...", twips(6000, 300, 600, 345));
    Option4Button = option(Frame5, "Option4", "Save results in folder of original file",
                           twips(240, 1410, 3615, 255));
    Option3Button->setChecked(true);

    PushButton7 = button(this, "PushButton7", "Start Changing", twips(120, 8870, 7800, 405));
    ProgressBar1 = place<ShownTextBar>(this, "ProgressBar1", twips(120, 9390, 7800, 405));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(true);
    ProgressBar1->setAlignment(Qt::AlignCenter);

    // Tab follows the window from top to bottom, each row from left to right.
    QWidget* order[] = {ListView1,   PushButton3,   PushButton6,   PushButton5,
                        PushButton4, Option1Button, Option2Button, Text1,
                        PushButton1, ListView2,     PushButton2,   Option3Button,
                        Text2Field,  PushButton8,   Option4Button, PushButton7};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
}

} // namespace pellucor::ui
