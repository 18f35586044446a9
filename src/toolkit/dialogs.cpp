#include "toolkit/dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace toolkit {

namespace {

BeepHandler& beepHandler() {
    static BeepHandler handler;
    return handler;
}

MessageBoxHandler& messageBoxHandler() {
    static MessageBoxHandler handler;
    return handler;
}

OpenFileHandler& openFileHandler() {
    static OpenFileHandler handler;
    return handler;
}

AskHandler& askHandler() {
    static AskHandler handler;
    return handler;
}

DialogHandler& dialogHandler() {
    static DialogHandler handler;
    return handler;
}

QMessageBox::Icon qtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Stop:
        return QMessageBox::Critical;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        break;
    }
    return QMessageBox::Information;
}

// "AVIファイル (*.avi)|*.avi" -> "AVIファイル (*.avi)": pairs of description and patterns
// (separated by ';') become the dialog's own filter form.
QString qtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        const QString wanted = QLatin1Char('(') + patterns + QLatin1Char(')');
        filters << (description.contains(wanted) ? description
                                                 : description + QLatin1Char(' ') + wanted);
    }
    return filters.join(QStringLiteral(";;"));
}

} // namespace

void beep() {
    if (beepHandler()) {
        beepHandler()();
    } else {
        QApplication::beep();
    }
}

void messageBox(QWidget* parent, const QString& text, MessageIcon icon, const QString& caption) {
    if (messageBoxHandler()) {
        messageBoxHandler()(text, icon, caption);
        return;
    }
    QMessageBox box(qtIcon(icon), caption, text, QMessageBox::Ok, parent);
    box.exec();
}

std::optional<QString> getOpenFileName(QWidget* parent, const QString& title,
                                       const QString& startFolder, const QString& filter) {
    if (openFileHandler()) {
        return openFileHandler()(startFolder, filter);
    }
    // Qt's own dialog, not the desktop's: its texts are Japanese whatever the user's locale.
    const QString path = QFileDialog::getOpenFileName(parent, title, startFolder, qtFilter(filter),
                                                      nullptr, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return path;
}

bool ask(QWidget* parent, const QString& text, const QString& caption) {
    if (askHandler())
        return askHandler()(text, caption);
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

int runDialog(QDialog& dialog) {
    if (dialogHandler())
        return dialogHandler()(dialog);
    return dialog.exec();
}

void setBeepHandler(BeepHandler handler) {
    beepHandler() = std::move(handler);
}
void setMessageBoxHandler(MessageBoxHandler handler) {
    messageBoxHandler() = std::move(handler);
}
void setOpenFileHandler(OpenFileHandler handler) {
    openFileHandler() = std::move(handler);
}

void setAskHandler(AskHandler handler) {
    askHandler() = std::move(handler);
}
void setDialogHandler(DialogHandler handler) {
    dialogHandler() = std::move(handler);
}

} // namespace toolkit
