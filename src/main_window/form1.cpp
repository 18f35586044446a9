#include "main_window/form1.h"

#include "common/palette.h"
#include "graphs/form2.h"
#include "graphs/form3.h"
#include "main_window/tracking_run.h"
#include "toolkit/activation.h"
#include "toolkit/caption_label.h"
#include "toolkit/command_button.h"
#include "toolkit/picture_box.h"
#include "toolkit/window_geometry.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScrollBar>
#include <QTimer>

namespace {

// Window size at design, in twips.
constexpr int kFormWidthTwips = 12315;
constexpr int kFormHeightTwips = 7890;
// The video area's size is set in pixels, whatever the screen's resolution.
constexpr int kVideoWidth = 320;
constexpr int kVideoHeight = 240;
// The ruler area reaches 50 pixels beyond the measuring area to the right and below.
constexpr int kRulerBand = 50;

toolkit::CommandButton* button(QWidget* parent, const QString& caption, int x, int y, int w,
                               int h) {
    auto* b = new toolkit::CommandButton(caption, parent);
    b->setGeometry(x, y, w, h);
    return b;
}

QLabel* label(QWidget* parent, const QString& text, int x, int y, int w, int h) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(x, y, w, h);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setWordWrap(true);
    return l;
}

QLineEdit* textBox(QWidget* parent, int x, int y, int w, int h) {
    auto* t = new QLineEdit(parent);
    t->setGeometry(x, y, w, h);
    t->setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 12, QFont::Bold));
    return t;
}

toolkit::PictureBox* picture(QWidget* parent, const QString& name, int x, int y, int w, int h) {
    auto* p = new toolkit::PictureBox(parent);
    p->setOuterGeometry(x, y, w, h);
    p->setAccessibleName(name);
    return p;
}

} // namespace

Form1::Form1(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Ugoki"));
    createMenu();
    createControls();
    connectHandlers();
    // A video dropped onto the window opens as one chosen in the dialog.
    setAcceptDrops(true);
    Form_Load();
    toolkit::watchActivation(this, [this] { Form_Activate(); });
}

Form1::~Form1() {
    closeGraphWindows();
}

void Form1::createMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ（&F）"));
    mnuopen = file->addAction(QStringLiteral("開く(&O)"));
    mnuclose = file->addAction(QStringLiteral("閉じる(&C)"));
    mnuend = file->addAction(QStringLiteral("終了(&X)"));
    mnumeasure = menuBar()->addMenu(QStringLiteral("測定(&M)"));
    mnuframetime = mnumeasure->addAction(QStringLiteral("1コマの時間(&T)..."));
    mnulength = mnumeasure->addAction(QStringLiteral("長さの基準(&L)..."));
    mnulengthclear = mnumeasure->addAction(QStringLiteral("長さの基準を消す(&E)"));
    mnumeasure->addSeparator();
    mnutrack = mnumeasure->addAction(QStringLiteral("自動追跡(&A)..."));
    mnulengthcancel = new QAction(this);
    mnulengthcancel->setShortcut(Qt::Key_Escape);
    addAction(mnulengthcancel);
}

void Form1::createControls() {
    auto* client = new QWidget(this);
    client->setAutoFillBackground(true);
    QPalette grey = client->palette();
    grey.setColor(QPalette::Window, common::formBackground());
    client->setPalette(grey);
    setCentralWidget(client);

    Label1 = new toolkit::ElidedLabel(client);
    Label1->setGeometry(24, 8, 265, 17);
    Picture1 = picture(client, QStringLiteral("映像"), 32, 40, 320, 240);
    Picture1->setBackColor(common::formBackground());
    Cmd_trans = button(client, QStringLiteral("画像転送→"), 360, 56, 33, 217);
    // Picture3 is created after Picture2, so it lies in front of it.
    Picture2 = picture(client, QStringLiteral("目盛り"), 400, 40, 370, 290);
    Picture3 = picture(client, QStringLiteral("測定エリア"), 400, 40, 320, 240);
    Cmd_Xchange = button(client, QStringLiteral("Ｘ軸の向き変更"), 448, 0, 121, 33);
    Cmd_Ychange = button(client, QStringLiteral("Ｙ軸の向き変更"), 584, 0, 113, 33);
    Command4 = button(client, QStringLiteral("コマ戻し"), 128, 296, 65, 33);
    Command3 = button(client, QStringLiteral("コマ送り"), 192, 296, 65, 33);
    Label2 = new toolkit::CaptionLabel(QString(), client);
    Label2->setGeometry(264, 296, 65, 33);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    HScroll1 = new QScrollBar(Qt::Horizontal, client);
    HScroll1->setGeometry(88, 352, 201, 25);
    HScroll1->setRange(0, 32767);
    HScroll1->setSingleStep(1);
    HScroll1->setPageStep(1);
    Cmd_巻き戻し = button(client, QStringLiteral("巻き戻し"), 88, 400, 73, 33);
    Command2 = button(client, QStringLiteral("一時停止"), 160, 400, 65, 33);
    Command1 = button(client, QStringLiteral("再生"), 224, 400, 65, 33);
    Cmd_Reset = button(client, QStringLiteral("マーク消去"), 432, 360, 81, 33);
    Command6 = button(client, QStringLiteral("全マーク消去"), 512, 360, 81, 33);
    Cmd_vt = button(client, QStringLiteral("v-tグラフ"), 432, 408, 81, 33);
    Cmd_st = button(client, QStringLiteral("x,y-tグラフ"), 512, 408, 81, 33);
    Label3 = label(client, QStringLiteral("ｘ座標"), 640, 368, 41, 33);
    Text1 = textBox(client, 680, 360, 41, 25);
    Label5 = label(client, QStringLiteral("ｙ座標"), 640, 408, 57, 33);
    Text2 = textBox(client, 680, 400, 41, 25);
    Timer1 = new QTimer(this);
    // Under the bottom ruler, clear of its labels and of the buttons below.
    Label6 = label(client, QString(), 400, 334, 370, 20);
    Label6->setWordWrap(false);
    Label6->hide();
}

void Form1::connectHandlers() {
    auto onClick = [this](QPushButton* b, void (Form1::*handler)()) {
        connect(b, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
    };
    connect(mnuopen, &QAction::triggered, this, [this] { mnuopen_Click(); });
    connect(mnuclose, &QAction::triggered, this, [this] { mnuclose_Click(); });
    connect(mnuend, &QAction::triggered, this, [this] { mnuend_Click(); });
    connect(mnuframetime, &QAction::triggered, this, [this] { mnuframetime_Click(); });
    connect(mnulength, &QAction::triggered, this, [this] { mnulength_Click(); });
    connect(mnulengthclear, &QAction::triggered, this, [this] { mnulengthclear_Click(); });
    connect(mnulengthcancel, &QAction::triggered, this, [this] { endLengthClicks(); });
    connect(mnutrack, &QAction::triggered, this, [this] { mnutrack_Click(); });
    connect(mnumeasure, &QMenu::aboutToShow, this, [this] { mnumeasure_Update(); });
    onClick(Command1, &Form1::Command1_Click);
    onClick(Command2, &Form1::Command2_Click);
    onClick(Command3, &Form1::Command3_Click);
    onClick(Command4, &Form1::Command4_Click);
    onClick(Cmd_巻き戻し, &Form1::Cmd_巻き戻し_Click);
    onClick(Cmd_trans, &Form1::Cmd_trans_Click);
    onClick(Cmd_Reset, &Form1::Cmd_Reset_Click);
    onClick(Command6, &Form1::Command6_Click);
    onClick(Cmd_Xchange, &Form1::Cmd_Xchange_Click);
    onClick(Cmd_Ychange, &Form1::Cmd_Ychange_Click);
    onClick(Cmd_st, &Form1::Cmd_st_Click);
    onClick(Cmd_vt, &Form1::Cmd_vt_Click);
    // Only a drag of the thumb seeks; arrow and track clicks and the timer's own updates
    // move the thumb without a command.
    connect(HScroll1, &QScrollBar::sliderMoved, this, [this] { HScroll1_Scroll(); });
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    connect(Picture3, &toolkit::PictureBox::mouseDown, this,
            [this](int button, int shift, float x, float y) {
                Picture3_MouseDown(button, shift, x, y);
            });
}

void Form1::Form_Load() {
    toolkit::setOuterSizeCentred(this, toolkit::twipsToPixels(kFormWidthTwips),
                                 toolkit::twipsToPixels(kFormHeightTwips));
    XAxisRight = VbFalse;
    YAxisDown = VbFalse;
    FramesSinceMark = 0;
    Picture1->setPixelScale();
    Picture2->setPixelScale();
    Picture3->setPixelScale();
    Picture1->setOuterSize(kVideoWidth, kVideoHeight);
    Picture2->setOuterSize(Picture1->outerWidth() + kRulerBand,
                           Picture1->outerHeight() + kRulerBand);
    Picture3->setOuterSize(Picture1->outerWidth(), Picture1->outerHeight());
    CommonDialog1.cancelError = true;
    cmd_enabled(VbFalse, VbFalse);
    Cmd_巻き戻し->setEnabled(false);
    Cmd_Reset->setEnabled(false);
    Cmd_vt->setEnabled(false);
    Cmd_st->setEnabled(false);
    Cmd_trans->setEnabled(false);
    Timer1->setInterval(100);
    Timer1->stop();
    PlayStarted = VbFalse;
    Module1::MarkCount = 0;
    resetMeasuring(false);
}

void Form1::Form_Activate() {
    scale_draw();
}

void Form1::cmd_enabled(VbBool b1, VbBool b2) {
    Command1->setEnabled(isTrue(b1));
    Command2->setEnabled(isTrue(b2));
    Command3->setEnabled(isTrue(b2));
    Command4->setEnabled(isTrue(b2));
    Command6->setEnabled(isTrue(b2));
    HScroll1->setEnabled(isTrue(b2));
}
