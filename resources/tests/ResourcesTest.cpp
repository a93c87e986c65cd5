// The pointer, icon and skin files as the build places them beside the
// program, read the way the window reads them: through Qt's image plugins and
// its style sheet parser.
#include <cctype>
#include <gtest/gtest.h>
#include <memory>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QtEndian>
#include <QTreeWidget>
#include <string>

namespace {

QString besideTheProgram(const QString& name) {
    return QStringLiteral(PELLUCOR_PROGRAM_DIR "/") + name;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        ADD_FAILURE() << path.toStdString()
                      << ": cannot be opened: " << file.errorString().toStdString();
    return file.readAll();
}

// One application for the whole run, ended before the process ends so that
// the sanitizers see its fonts and windows released.
class QtApplication : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        m_application = std::make_unique<QApplication>(m_argc, m_argv);
    }
    void TearDown() override { m_application.reset(); }

private:
    int m_argc = 1;
    char m_name[16] = "resources_tests";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_application;
};

[[maybe_unused]] const auto* const s_application =
    ::testing::AddGlobalTestEnvironment(new QtApplication);

struct Picture {
    const char* file;
    const char* format; // as Qt names it from the content: cursors go through the ico plugin
    int size;
};

void PrintTo(const Picture& picture, std::ostream* out) {
    *out << picture.file;
}

class PictureBesideTheProgram : public ::testing::TestWithParam<Picture> {};

TEST_P(PictureBesideTheProgram, LoadsWithItsSoftEdgesAndClearCorners) {
    const Picture& picture = GetParam();
    QString path = besideTheProgram(QString::fromLatin1(picture.file));
    std::string file = path.toStdString();
    ASSERT_TRUE(QFile::exists(path)) << file << ": missing; the build did not place it";
    EXPECT_EQ(QImageReader::imageFormat(path), QByteArray(picture.format))
        << file << ": its content is not recognised as " << picture.format;

    QImageReader reader(path);
    QImage image = reader.read();
    ASSERT_FALSE(image.isNull()) << file
                                 << ": Qt cannot read it: " << reader.errorString().toStdString();
    EXPECT_EQ(image.size(), QSize(picture.size, picture.size)) << file << ": wrong size";
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << file << ": the top left corner is not clear";

    int softPixels = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            softPixels += qAlpha(image.pixel(x, y)) > 0 && qAlpha(image.pixel(x, y)) < 255;
    EXPECT_GT(softPixels, 0) << file << ": read without its alpha channel (only the 1-bit mask)";
}

INSTANTIATE_TEST_SUITE_P(Shipped, PictureBesideTheProgram,
                         ::testing::Values(Picture{"HAND-M.CUR", "ico", 32},
                                           Picture{"drag.ico", "ico", 32},
                                           Picture{"pellucor.png", "png", 256},
                                           Picture{"pellucor-32.png", "png", 32}),
                         [](const auto& test) {
                             std::string name = test.param.file;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

TEST(HandPointer, HotspotInItsHeaderIsTheFingertip) {
    QString path = besideTheProgram(QStringLiteral("HAND-M.CUR"));
    QByteArray bytes = readAll(path);
    ASSERT_GE(bytes.size(), 22) << path.toStdString() << ": too short for a cursor directory";
    // In a cursor's directory entry the planes and bit-count fields hold the hotspot.
    int x = qFromLittleEndian<quint16>(bytes.constData() + 10);
    int y = qFromLittleEndian<quint16>(bytes.constData() + 12);
    QImage image(path);
    ASSERT_FALSE(image.isNull()) << path.toStdString() << ": Qt cannot read it";

    ASSERT_TRUE(image.rect().contains(x, y)) << "hotspot " << x << "," << y << " is off the image";
    EXPECT_LT(y, image.height() / 4) << "hotspot " << x << "," << y << " is not near the top";
    EXPECT_EQ(qAlpha(image.pixel(x, y)), 255) << "hotspot " << x << "," << y << " is not opaque";
    for (int above = 0; above < y; ++above)
        EXPECT_EQ(qAlpha(image.pixel(x, above)), 0)
            << "pixel " << x << "," << above << " above the hotspot is not clear";
}

// The window's control kinds at fixed places with their own fonts, as the
// window builds them.
struct SkinnedWindow {
    QWidget window;
    QList<QWidget*> controls;

    SkinnedWindow() {
        window.setObjectName(QStringLiteral("Form1"));
        window.setFixedSize(536, 660);
        QFont bold(QStringLiteral("Liberation Sans"), 9, QFont::Bold);
        window.setFont(bold);
        auto* frame =
            add(new QGroupBox(QStringLiteral("Spacing Options"), &window), 8, 186, 520, 70);
        auto* flat = add(new QGroupBox(&window), 8, 270, 520, 54);
        flat->setFlat(true);
        add(new QRadioButton(QStringLiteral("Add space"), frame), 16, 20, 249, 17);
        add(new QLabel(QStringLiteral("Punctuation/Character:"), &window), 16, 330, 131, 15);
        add(new QLineEdit(flat), 16, 20, 378, 23);
        auto* button =
            add(new QPushButton(QStringLiteral("Start Changing"), &window), 8, 591, 520, 27);
        button->setFont(QFont(QStringLiteral("Liberation Sans"), 11, QFont::Bold));
        auto* list = add(new QTreeWidget(&window), 8, 8, 520, 105);
        auto* row = new QTreeWidgetItem(list, {QStringLiteral(".")});
        row->setCheckState(0, Qt::Checked);
        auto* bar = add(new QProgressBar(&window), 8, 626, 520, 27);
        bar->setValue(40);
    }

    template <typename Widget> Widget* add(Widget* widget, int x, int y, int width, int height) {
        widget->setGeometry(x, y, width, height);
        controls.append(widget);
        return widget;
    }
};

QStringList s_messages;

void keepMessage(QtMsgType, const QMessageLogContext&, const QString& message) {
    s_messages.append(message);
}

TEST(Skin, ParsesAndLeavesEveryFontAndGeometryToTheWindow) {
    QString path = besideTheProgram(QStringLiteral("x/o.cjs"));
    QString sheet = QString::fromUtf8(readAll(path));
    ASSERT_FALSE(sheet.isEmpty()) << path.toStdString() << ": empty";

    SkinnedWindow skinned;
    QList<QFont> fonts;
    QList<QRect> places;
    for (QWidget* control : skinned.controls) {
        fonts.append(control->font());
        places.append(control->geometry());
    }
    s_messages.clear();
    QtMessageHandler previous = qInstallMessageHandler(keepMessage);
    skinned.window.setStyleSheet(sheet);
    QImage painted = skinned.window.grab().toImage(); // polishes and paints every control
    qInstallMessageHandler(previous);

    for (const QString& message : s_messages)
        ADD_FAILURE() << path.toStdString() << ": Qt says: " << message.toStdString();
    EXPECT_FALSE(painted.isNull());
    for (qsizetype i = 0; i < skinned.controls.size(); ++i) {
        QWidget* control = skinned.controls[i];
        std::string kind = control->metaObject()->className();
        EXPECT_EQ(control->font(), fonts[i])
            << path.toStdString() << " changes the font of a " << kind;
        EXPECT_EQ(control->geometry(), places[i])
            << path.toStdString() << " changes the size or place of a " << kind;
    }
}

} // namespace
