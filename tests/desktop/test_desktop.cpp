// The program on a real X server under a window manager (with_window_manager.sh): what only
// a desktop shows. Outer frames and their centring are measured from the X server itself,
// the windows are switched with xdotool, and Qt's own dialog is read as the user sees it.
#include "app/application.h"
#include "graphs/form2.h"
#include "graphs/form3.h"
#include "main_window/form1.h"
#include "measurement/measurement_table.h"
#include "toolkit/dialogs.h"
#include "toolkit/picture_box.h"
#include "toolkit/program.h"
#include "videogen/videogen.h"

#include <QAbstractItemView>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished();
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// A number xwininfo prints after "name:", decimal or hexadecimal.
long field(const QString& text, const QString& name) {
    const QString value =
        QRegularExpression(name + R"(:\s*(0x[0-9a-f]+|-?\d+))").match(text).captured(1);
    return value.toLong(nullptr, 0);
}

// The window manager's frame around a window, measured by the X server: the window's
// ancestor that is a child of the root, border included, in screen coordinates. Whether it
// is centred on the 1280 x 1024 screen of with_window_manager.sh.
QRect outerFrame(WId window) {
    QString id = QString::number(window);
    for (int depth = 0; depth < 8; ++depth) {
        const QString tree = run("xwininfo", {"-tree", "-id", id});
        const long parent = field(tree, "Parent window id");
        if (parent == 0 || parent == field(tree, "Root window id"))
            break;
        id = QString::number(parent);
    }
    const QString info = run("xwininfo", {"-id", id});
    const int border = int(field(info, "Border width"));
    return QRect(int(field(info, "Absolute upper-left X")),
                 int(field(info, "Absolute upper-left Y")), int(field(info, "Width")),
                 int(field(info, "Height")))
        .adjusted(-border, -border, border, border);
}
bool centred(const QRect& frame) {
    return (frame.center() - QRect(0, 0, 1280, 1024).center()).manhattanLength() <= 2;
}

void activateWithTheWindowManager(WId window) {
    run("xdotool", {"windowactivate", "--sync", QString::number(window)});
}

} // namespace

class DesktopTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Form1> form_;

  private slots:
    void initTestCase() {
        app::setUpApplication();
        toolkit::setBeepHandler([] {});
        toolkit::setEndProgramHandler([] {});
        form_ = std::make_unique<Form1>();
        form_->show();
    }
    void cleanupTestCase() { form_.reset(); }

    // Sizes in twips are outer sizes: the frame, title bar included, measures 821 x 526 for
    // the main window and 741 x 595 for a graph window, centred on the screen.
    void windowsAreFramedAndCentred() {
        QTRY_COMPARE(outerFrame(form_->winId()).size(), QSize(821, 526));
        QTRY_VERIFY(centred(outerFrame(form_->winId())));
        QTRY_VERIFY(form_->size().height() < 526); // really framed: a title bar above
        Module1::MarkCount = 1;
        form_->Cmd_st_Click();
        form_->Cmd_vt_Click();
        for (QWidget* graph : {static_cast<QWidget*>(form_->positionTimeWindow()),
                               static_cast<QWidget*>(form_->velocityTimeWindow())}) {
            QVERIFY(graph);
            QTRY_COMPARE(outerFrame(graph->winId()).size(), QSize(741, 595));
            QTRY_VERIFY(centred(outerFrame(graph->winId())));
        }
    }

    // The task bar and the window list show the program's own icon.
    void everyWindowCarriesTheIcon() {
        for (QWidget* w : {static_cast<QWidget*>(form_.get()),
                           static_cast<QWidget*>(form_->positionTimeWindow())}) {
            const QString icon = run("xprop", {"-id", QString::number(w->winId()), "_NET_WM_ICON"});
            QVERIFY2(icon.contains("48 x 48"), qPrintable(icon.left(200)));
        }
    }

    // Leaving for another application and coming back straight into the s-t window runs its
    // activation: the marks added meanwhile are plotted.
    void activationAfterAnotherApplication() {
        for (QWidget* graph : {static_cast<QWidget*>(form_->positionTimeWindow()),
                               static_cast<QWidget*>(form_->velocityTimeWindow())})
            delete graph;
        Module1::MarkCount = 1;
        form_->Cmd_st_Click();
        Form3* st = form_->positionTimeWindow();
        QTRY_VERIFY(st && st->isActiveWindow());
        activateWithTheWindowManager(form_->winId());
        QTRY_VERIFY(form_->isActiveWindow());
        Module1::MarkCount = 2;
        Module1::FrameGap[1] = 6;
        Module1::PosY[2] = 3; // a light-blue dot around x 215, y 266
        QProcess other;       // another application
        other.start("xmessage", {"elsewhere"});
        QVERIFY(other.waitForStarted());
        QTRY_COMPARE(QGuiApplication::applicationState(), Qt::ApplicationInactive);
        QCOMPARE(st->Picture1->pixelColor(216, 267), QColor(255, 255, 255));
        activateWithTheWindowManager(st->winId());
        QTRY_VERIFY(st->isActiveWindow());
        QTRY_COMPARE(st->Picture1->pixelColor(216, 267), QColor(0, 0, 255));
        other.kill();
        other.waitForFinished();
    }

    // Qt's own file dialog, in Japanese whatever the locale.
    void theFileDialogSpeaksJapanese() {
        QString title, accept, reject;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(qobject_cast<QFileDialog*>(QApplication::activeModalWidget()));
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            title = dialog->windowTitle();
            auto* buttons = dialog->findChild<QDialogButtonBox*>();
            accept = buttons->button(QDialogButtonBox::Open)->text();
            reject = buttons->button(QDialogButtonBox::Cancel)->text();
            dialog->reject();
        });
        form_->mnuopen_Click();
        // Nothing is kept of it for the next run.
        QVERIFY(QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).isEmpty());
        QCOMPARE(title, QStringLiteral("ビデオファイルを開く"));
        QCOMPARE(accept.remove(u'&'), QStringLiteral("開く(O)"));
        QCOMPARE(reject, QStringLiteral("キャンセル"));
    }

    // In a folder of a class's clips the dialog lists the camera's and the phone's videos,
    // whatever the case of their names, and nothing else.
    void theFileDialogListsEveryVideo() {
        QTemporaryDir folder;
        for (const char* name : {"MVI_0001.AVI", "IMG_0001.MOV"})
            QCOMPARE(videogen::writeVideo(
                         folder.filePath(name).toStdString(),
                         {.codec = videogen::Codec::Mpeg4, .width = 32, .height = 24, .frames = 4}),
                     std::string());
        QFile notes(folder.filePath("notes.txt"));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        form_->openFile(folder.filePath("IMG_0001.MOV")); // as the command line does
        QStringList listed;
        QTimer::singleShot(0, this, [&] {
            QFileDialog* dialog = nullptr;
            if (!QTest::qWaitFor([&] {
                    return (dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()));
                }))
                return;
            // The folder is read in the background.
            auto* view = dialog->findChild<QAbstractItemView*>("listView");
            [[maybe_unused]] const bool loaded =
                QTest::qWaitFor([&] { return view->model()->rowCount(view->rootIndex()) >= 2; });
            for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
                listed << view->model()->index(row, 0, view->rootIndex()).data().toString();
            dialog->reject();
        });
        form_->mnuopen_Click();
        QCOMPARE(listed, QStringList({"IMG_0001.MOV", "MVI_0001.AVI"}));
    }
};

QTEST_MAIN(DesktopTest)
#include "test_desktop.moc"
