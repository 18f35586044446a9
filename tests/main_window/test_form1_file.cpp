#include "form1_fixture.h"

#include "graphs/form3.h"
#include "main_window/video_folders.h"
#include "media/mci_channel.h"
#include "media/mci_commands.h"
#include "toolkit/caption_label.h"
#include "toolkit/command_button.h"
#include "toolkit/picture_box.h"

#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <memory>

using form1test::Harness;

namespace {

bool deviceIsOpen() {
    std::string reply;
    const bool open = Module1::SendMciCommand(media::statusLengthCommand(), reply) == 0;
    return open;
}

} // namespace

class TestForm1File : public QObject {
    Q_OBJECT
  private slots:
    void init() { harness_ = std::make_unique<Harness>(); }
    void cleanup() { harness_.reset(); }

    void firstOpenBeepsOnceAndEnablesOnlyPlay();
    void dialogStartsInTheLastFolderAndFiltersAvi();
    void secondOpenClosesTheFirstAndKeepsPlayStarted();
    void cancelWithAVideoOpenKeepsItRunning();
    void rejectedFileShowsTheServiceErrorText();
    void closeReturnsToNoVideo();
    void exitClosesTheDeviceAndGraphWindows();
    void closingTheWindowExitsToo();
    void startFolderPrefersTheLastFileThenTheSamples();

  private:
    std::unique_ptr<Harness> harness_;
};

void TestForm1File::firstOpenBeepsOnceAndEnablesOnlyPlay() {
    const QString path = harness_->video(45);
    harness_->open(path);
    Form1& f = harness_->form();
    QCOMPARE(harness_->beeps, 1); // "close avfile" with no device open
    QVERIFY(harness_->messages.isEmpty());
    QCOMPARE(form1test::enabledSet(f), QStringLiteral("play flipX flipY"));
    QCOMPARE(f.Label1->text(), path);
    QVERIFY(f.Timer1->isActive());
    QCOMPARE(f.HScroll1->maximum(), 45);
    QCOMPARE(Module1::MarkCount, std::int16_t{0});
    // The video window is a child of the video area.
    QVERIFY(!f.Picture1->clientArea()->findChildren<QWidget*>().isEmpty());
}

void TestForm1File::dialogStartsInTheLastFolderAndFiltersAvi() {
    harness_->chooseFile(std::nullopt);
    harness_->form().mnuopen_Click();
    QCOMPARE(harness_->lastFilter(), QStringLiteral("AVIファイル (*.avi)|*.avi"));
    harness_->open(harness_->video(10));
    harness_->chooseFile(std::nullopt);
    harness_->form().mnuopen_Click();
    QCOMPARE(QDir(harness_->lastStartFolder()), QDir(harness_->folder()));
}

void TestForm1File::secondOpenClosesTheFirstAndKeepsPlayStarted() {
    Form1& f = harness_->form();
    harness_->open(harness_->video(45, "first.avi"));
    harness_->playAndPause();
    f.Cmd_trans_Click();
    harness_->click(100, 100);
    QCOMPARE(Module1::MarkCount, std::int16_t{1});

    const QString second = harness_->video(20, "second.avi");
    harness_->open(second);
    QCOMPARE(Module1::MarkCount, std::int16_t{0});
    QCOMPARE(f.PlayStarted, VbTrue);
    QCOMPARE(f.HScroll1->maximum(), 20);
    QCOMPARE(f.Label1->text(), second);
    // Transfer was enabled before the open and stays so.
    QCOMPARE(form1test::enabledSet(f), QStringLiteral("play transfer flipX flipY"));
    QCOMPARE(f.Text1->text(), QString());
    QCOMPARE(f.Picture3->pixelColor(100, 100), QColor(255, 255, 255));
}

void TestForm1File::cancelWithAVideoOpenKeepsItRunning() {
    Form1& f = harness_->form();
    harness_->open(harness_->video(150));
    harness_->playAndPause();
    f.Cmd_trans_Click(); // stops the video
    f.Command1_Click();
    f.Text1->setText(QStringLiteral("1.00"));
    const int beepsBefore = harness_->beeps;

    harness_->chooseFile(std::nullopt);
    f.mnuopen_Click();
    QCOMPARE(harness_->beeps, beepsBefore + 1);
    QCOMPARE(form1test::enabledSet(f), QStringLiteral("play transfer flipX flipY"));
    QCOMPARE(f.Text1->text(), QString());
    QCOMPARE(f.Picture3->pixelColor(0, 0), QColor(255, 255, 255));
    QVERIFY(f.Timer1->isActive());
    QVERIFY(deviceIsOpen());

    // The video goes on playing and the frame display follows it.
    QTRY_VERIFY_WITH_TIMEOUT(f.HScroll1->value() > 0, 3000);
    const int earlier = f.HScroll1->value();
    QTRY_VERIFY_WITH_TIMEOUT(f.HScroll1->value() > earlier, 3000);
    QVERIFY(f.Label2->caption().startsWith(QStringLiteral("フレーム\n\r    ")));
    f.Command2_Click();
}

void TestForm1File::rejectedFileShowsTheServiceErrorText() {
    Form1& f = harness_->form();
    const QString garbage = QDir(harness_->folder()).filePath(QStringLiteral("notes.avi"));
    {
        QFile file(garbage);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("This is a text file with an .avi name, not a video.\n");
    }
    harness_->open(harness_->video(30));
    Module1::MarkCount = 2; // marks stay in the table when the open fails
    harness_->beeps = 0;
    harness_->open(garbage);

    QCOMPARE(harness_->messages.size(), 1);
    const form1test::Message& m = harness_->messages.front();
    QCOMPARE(m.icon, toolkit::MessageIcon::Stop);
    QCOMPARE(m.caption, QStringLiteral("Ugoki"));
    // The text is the service's own error text for this file.
    std::string reply;
    const std::int32_t code = Module1::SendMciCommand(
        media::openCommand(Module1::GetShortName(garbage.toStdString()), f.Picture1->hWnd()),
        reply);
    QVERIFY(code != 0);
    QCOMPARE(m.text, QString::fromStdString(reply));
    QVERIFY(!m.text.isEmpty());

    QVERIFY(!f.Timer1->isActive());
    QCOMPARE(Module1::MarkCount, std::int16_t{2});
    QCOMPARE(form1test::enabledSet(f), QStringLiteral("play flipX flipY"));
    QVERIFY(!deviceIsOpen()); // the earlier video was closed before the open failed
}

void TestForm1File::closeReturnsToNoVideo() {
    Form1& f = harness_->form();
    harness_->open(harness_->video(30));
    harness_->playAndPause();
    f.Cmd_trans_Click();
    harness_->click(50, 60);
    f.Timer1_Timer();
    QVERIFY(f.Label2->caption().size() > 4);

    f.mnuclose_Click();
    QCOMPARE(f.Label2->caption(), QStringLiteral("フレーム"));
    QCOMPARE(f.Label1->text(), QString());
    QCOMPARE(form1test::enabledSet(f), QStringLiteral("flipX flipY"));
    QCOMPARE(Module1::MarkCount, std::int16_t{0});
    QCOMPARE(f.PlayStarted, VbFalse);
    QVERIFY(!f.Timer1->isActive());
    QCOMPARE(f.Text1->text(), QString());
    QCOMPARE(f.Picture3->pixelColor(50, 60), QColor(255, 255, 255));
    QCOMPARE(f.Picture2->pixelColor(316, 100), QColor(0, 0, 0)); // rulers redrawn
    QVERIFY(!deviceIsOpen());

    // Closing with nothing open runs the same steps; the close fails with one beep.
    harness_->beeps = 0;
    f.mnuclose_Click();
    QCOMPARE(harness_->beeps, 1);
}

void TestForm1File::exitClosesTheDeviceAndGraphWindows() {
    Form1& f = harness_->form();
    harness_->open(harness_->video(30));
    harness_->playAndPause();
    f.Cmd_trans_Click();
    harness_->click(50, 60);
    f.Cmd_st_Click();
    QPointer<Form3> graph = f.positionTimeWindow();
    QVERIFY(graph);

    f.mnuend_Click();
    QCOMPARE(harness_->endRequests, 1);
    QVERIFY(!graph);
    QVERIFY(!deviceIsOpen());
    QVERIFY(!f.Timer1->isActive());
}

void TestForm1File::closingTheWindowExitsToo() {
    Form1& f = harness_->form();
    harness_->beeps = 0;
    f.close(); // no file open: "close avfile" still goes out, with its beep
    QCOMPARE(harness_->endRequests, 1);
    QCOMPARE(harness_->beeps, 1);
}

void TestForm1File::startFolderPrefersTheLastFileThenTheSamples() {
    const QString home = QDir::homePath();
    const QString samples = harness_->folder();
    const QString file = QDir(samples).filePath(QStringLiteral("x.avi"));
    QCOMPARE(video_folders::startFolder(QString(), QString(), home), home);
    QCOMPARE(video_folders::startFolder(QString(), samples, home), samples);
    QCOMPARE(video_folders::startFolder(QString(), QStringLiteral("/no/such/folder"), home), home);
    QCOMPARE(video_folders::startFolder(file, QString(), home), samples);
    QCOMPARE(video_folders::startFolder(QStringLiteral("/gone/away/x.avi"), samples, home),
             samples);
}

QTEST_MAIN(TestForm1File)
#include "test_form1_file.moc"
