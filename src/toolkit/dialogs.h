#pragma once

#include <QString>
#include <functional>
#include <optional>

class QDialog;
class QWidget;

namespace toolkit {

enum class MessageIcon { Stop, Exclamation, Information };

// The system beep, the modal message box, the file-open dialog, questions and the program's
// own dialogs, each reached through a
// seam so that tests can count beeps and answer dialogs without a screen. A handler set to
// nullptr restores the real one.
void beep();
void messageBox(QWidget* parent, const QString& text, MessageIcon icon, const QString& caption);
// The chosen file's full path, or nothing when the user cancels. The filter is written
// "description|pattern" as the windows give it.
std::optional<QString> getOpenFileName(QWidget* parent, const QString& title,
                                       const QString& startFolder, const QString& filter);

// A question with the buttons はい and いいえ: true for はい.
bool ask(QWidget* parent, const QString& text, const QString& caption);
// Shows a dialog of the program's own modally: its result (QDialog::Accepted or Rejected).
int runDialog(QDialog& dialog);

using BeepHandler = std::function<void()>;
using MessageBoxHandler =
    std::function<void(const QString& text, MessageIcon icon, const QString& caption)>;
using OpenFileHandler =
    std::function<std::optional<QString>(const QString& startFolder, const QString& filter)>;
void setBeepHandler(BeepHandler handler);
void setMessageBoxHandler(MessageBoxHandler handler);
void setOpenFileHandler(OpenFileHandler handler);
using AskHandler = std::function<bool(const QString& text, const QString& caption)>;
using DialogHandler = std::function<int(QDialog& dialog)>;
void setAskHandler(AskHandler handler);
void setDialogHandler(DialogHandler handler);

} // namespace toolkit
