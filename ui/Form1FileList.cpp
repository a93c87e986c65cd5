// The file list: its gestures, drops, and the buttons that fill or clear it.
// The decisions live in filelist/; this only translates widgets and events.
#include "AddAll.h"
#include "base/ErrorTrap.h"
#include "DialogAnswer.h"
#include "Drop.h"
#include "Form1.h"
#include "Form1Rows.h"
#include "ListGestures.h"
#include "Samples.h"

#include <QDesktopServices>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPushButton>
#include <QStyle>
#include <QToolTip>
#include <QTreeWidget>
#include <QUrl>

namespace pellucor::ui {
namespace {

// The local files among dragged data, in the drag's order.
std::vector<std::string> localFilesOf(const QMimeData* data) {
    std::vector<std::string> paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            paths.push_back(url.toLocalFile().toStdString());
    return paths;
}

// The row's text when the list shows it shortened, else empty.
QString elidedRowText(QTreeWidget& list, QPoint at) {
    QTreeWidgetItem* item = list.itemAt(at);
    if (!item)
        return {};
    const int margin = list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list) + 1;
    const int room = list.visualItemRect(item).width() - 2 * margin;
    const QString text = item->text(0);
    return list.fontMetrics().horizontalAdvance(text) > room ? text : QString();
}

int rowHeightAt(QTreeWidget& list, int y, int fallback) {
    QTreeWidgetItem* item = list.itemAt(QPoint(0, y));
    return item ? list.visualItemRect(item).height() : fallback;
}

} // namespace

Form1::~Form1() = default;

void Form1::prepareFileList() {
    m_fileRows = std::make_unique<TreeRows>(*ListView1);
    m_fileListSettings = std::make_unique<StoreSettings>(m_settings);
    m_listGestures = std::make_unique<filelist::ListGestures>(*m_fileRows);
    // Rows move by the list's own drag; the list only receives drops.
    ListView1->setDragEnabled(false);
    ListView1->setAutoScroll(false);
    // A long path loses its middle, not the file name at its end.
    ListView1->setTextElideMode(Qt::ElideMiddle);
    ListView1->setAcceptDrops(true);
    ListView1->viewport()->setAcceptDrops(true);
    connect(ListView1, &QTreeWidget::itemPressed, this, [this] { ListView1_ItemClick(); });
    // The keys move the current row; the list then shows it. A drag scrolls
    // by its own rule.
    connect(ListView1, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (current && !m_listGestures->listMouseDown())
            ListView1->scrollToItem(current);
    });
    connect(PushButton3, &QPushButton::clicked, this, [this] { PushButton3_Click(); });
    connect(PushButton4, &QPushButton::clicked, this, [this] { PushButton4_Click(); });
    connect(PushButton5, &QPushButton::clicked, this, [this] { PushButton5_Click(); });
    connect(PushButton6, &QPushButton::clicked, this, [this] { PushButton6_Click(); });
}

// ---- buttons ---------------------------------------------------------------

void Form1::PushButton3_Click() {
    filelist::addWordFiles(*m_fileRows, m_prompts);
}

void Form1::PushButton4_Click() {
    ErrorTrap trap(m_prompts, "Form1", "PushButton4_Click");
    trap(1, [&] {
        Main::LoadSampleFiles(
            *m_fileRows, m_programFolder.toStdString(), m_prompts, [](const std::string& folder) {
                QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder)));
            });
    });
}

void Form1::PushButton5_Click() {
    ErrorTrap trap(m_prompts, "Form1", "PushButton5_Click");
    trap(1, [&] { m_listGestures->ClearList(m_mousePointer); });
}

void Form1::PushButton6_Click() {
    filelist::addAllInFolder(*m_fileRows, *m_fileListSettings, m_prompts, *this);
}

// ---- the list's own gestures -----------------------------------------------

void Form1::ListView1_MouseDown() {
    m_listGestures->MouseDown();
}

void Form1::ListView1_ItemClick() {
    QPixmap picture(m_programFolder + "/drag.ico");
    if (!picture.isNull())
        ListView1->viewport()->setCursor(QCursor(picture));
    ListView1->setDragEnabled(false);
    m_listGestures->ItemClick();
}

void Form1::ListView1_MouseMove(QPoint position) {
    if (!m_listGestures->listMouseDown())
        return;
    QTreeWidgetItem* target = ListView1->itemAt(position);
    int targetRow = target ? ListView1->indexOfTopLevelItem(target) + 1 : 0;
    QWidget* rows = ListView1->viewport();
    QPoint top = rows->mapToGlobal(QPoint(0, 0));
    int fallback = target ? ListView1->visualItemRect(target).height() : 0;
    filelist::PointerOverList where{
        QCursor::pos().y(),
        top.y(),
        top.y() + rows->height(),
        rowHeightAt(*ListView1, 0, fallback),
        rowHeightAt(*ListView1, rows->height() - 1, fallback),
    };
    m_listGestures->MouseMove(targetRow, where);
}

void Form1::ListView1_MouseUp() {
    m_listGestures->MouseUp();
    ListView1->viewport()->setCursor(Qt::ArrowCursor);
}

void Form1::ListView1_KeyDown(int key) {
    if (key != Qt::Key_Delete)
        return;
    m_listGestures->RemoveSelected(m_mousePointer);
    // The row that took the removed one's place is the next to go.
    if (QTreeWidgetItem* current = ListView1->currentItem())
        ListView1->setCurrentItem(current);
}

void Form1::ListView1_DblClick() {
    m_listGestures->RemoveSelected(m_mousePointer);
}

// ---- drops -----------------------------------------------------------------

bool Form1::ListView1_OLEDragOver(const QMimeData* dropped) {
    return !localFilesOf(dropped).empty();
}

void Form1::ListView1_OLEDragDrop(const QMimeData* dropped) {
    filelist::dropItems(localFilesOf(dropped), *m_fileRows, m_prompts, *this);
}

namespace {

// The list takes copies of the names: a source told "moved" may delete what
// was dropped, so the answer is Copy (or Link), whatever was proposed.
bool acceptAsCopy(QDropEvent& event) {
    for (Qt::DropAction action : {Qt::CopyAction, Qt::LinkAction})
        if (event.possibleActions() & action) {
            event.setDropAction(action);
            return true;
        }
    return false;
}

} // namespace

// Events of the list and its rows area, before the list's own handling.
bool Form1::fileListEvent(QObject* watched, QEvent* event) {
    if (watched == ListView1) {
        if (event->type() == QEvent::KeyPress)
            ListView1_KeyDown(static_cast<QKeyEvent*>(event)->key());
        return false;
    }
    // Rows move only while the left button is held, and only a left
    // double-click removes one: other buttons have menus and gestures of
    // their own.
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            ListView1_MouseDown();
        return false;
    case QEvent::MouseMove: {
        auto* move = static_cast<QMouseEvent*>(event);
        if (!(move->buttons() & Qt::LeftButton) && listGestures().listMouseDown())
            ListView1_MouseUp(); // released outside the list
        ListView1_MouseMove(move->position().toPoint());
        return false;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            ListView1_MouseUp();
        return false;
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
            return false;
        ListView1_DblClick();
        return true;
    case QEvent::ToolTip: {
        // Over a shortened row the full path; elsewhere the list's own tip.
        auto* help = static_cast<QHelpEvent*>(event);
        const QString path = elidedRowText(*ListView1, help->pos());
        if (path.isEmpty())
            return false;
        QToolTip::showText(help->globalPos(), path, ListView1->viewport());
        return true;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (ListView1_OLEDragOver(drag->mimeData()) && acceptAsCopy(*drag))
            drag->accept();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!acceptAsCopy(*drop)) {
            drop->ignore();
            return true;
        }
        drop->accept();
        ListView1_OLEDragDrop(drop->mimeData());
        return true;
    }
    default:
        return false;
    }
}

} // namespace pellucor::ui
