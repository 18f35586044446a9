#include "toolkit/caption_label.h"

#include <QTest>

class TestLabels : public QObject {
    Q_OBJECT
  private slots:
    void lineBreaksShowAsOneNewLine_data();
    void lineBreaksShowAsOneNewLine();
    void captionIsKeptExactly();
    void elidedLabelKeepsTheWholePath();
};

void TestLabels::lineBreaksShowAsOneNewLine_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shown");
    QTest::newRow("frame display") << "フレーム\n\r    12"
                                   << "フレーム\n    12";
    QTest::newRow("windows order") << "a\r\nb"
                                   << "a\nb";
    QTest::newRow("lone cr") << "a\rb"
                             << "a\nb";
    QTest::newRow("two breaks stay two") << "a\n\r\n\rb"
                                         << "a\n\nb";
    QTest::newRow("lf lf") << "a\n\nb"
                           << "a\n\nb";
    QTest::newRow("none") << "フレーム"
                          << "フレーム";
}

void TestLabels::lineBreaksShowAsOneNewLine() {
    QFETCH(QString, caption);
    QFETCH(QString, shown);
    QCOMPARE(toolkit::displayedCaption(caption), shown);
}

void TestLabels::captionIsKeptExactly() {
    toolkit::CaptionLabel label(QStringLiteral("x"));
    const QString caption = QStringLiteral("フレーム\n\r    7");
    label.setCaption(caption);
    QCOMPARE(label.caption(), caption);
    QCOMPARE(label.text(), QStringLiteral("フレーム\n    7"));
}

void TestLabels::elidedLabelKeepsTheWholePath() {
    toolkit::ElidedLabel label;
    label.resize(120, 17);
    const QString path = QStringLiteral("/home/teacher/授業/物理/2年/実験/投げ上げ/projectile.avi");
    label.setText(path);
    QCOMPARE(label.text(), path);
    QVERIFY(!label.wordWrap());
    QVERIFY(!label.grab().isNull());
}

QTEST_MAIN(TestLabels)
#include "test_labels.moc"
