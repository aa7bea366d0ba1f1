// What the shell asks of the desktop: modal message boxes, the open and save
// file dialogs, and opening a file with the desktop's default application.
// Each goes through one function here, so that tests can put a recording
// stand-in in its place (an empty hook puts the real one back).
#pragma once

#include <QString>
#include <functional>
#include <string>

#include "engine/notifier.hpp"
#include "shell/messages.hpp"

class QWidget;

namespace egm2008::desktop {

enum class FileDialogKind { Open, Save };

using MessageHook = std::function<void(QWidget* parent, const std::string& text, NoticeIcon icon)>;
using FileDialogHook = std::function<std::string(QWidget* parent, FileDialogKind kind)>;
using LauncherHook = std::function<void(const std::string& path, bool wait)>;


/// Shows `text` in a modal box with an OK button, the error icon or none; returns when closed.
void ShowMessage(QWidget* parent, const std::string& text, NoticeIcon icon);

/// Runs a file dialog: the chosen full path, or "" when cancelled. The open
/// dialog accepts a name that does not exist yet; the save dialog asks before
/// an existing file is overwritten.
std::string RunFileDialog(QWidget* parent, FileDialogKind kind);

/// Opens `path` (relative names from the working folder) with the desktop's
/// default application. With `wait`, returns only when the launcher has ended,
/// the window painting but taking no input meanwhile. Failures are not reported.
void OpenWithDefaultApplication(const std::string& path, bool wait);

/// Lets the windows repaint during a long run; user input waits until the run ends.
void KeepPainting();

/// Tests: replace a hook; returns the one in force before.
MessageHook SetMessageHook(MessageHook hook);
FileDialogHook SetFileDialogHook(FileDialogHook hook);
LauncherHook SetLauncherHook(LauncherHook hook);

/// UTF-8 conversions between the tasks' strings and Qt's.
inline QString ToQString(const std::string& text) { return QString::fromStdString(text); }
inline std::string ToStdString(const QString& text) { return text.toStdString(); }

using QuestionHook = std::function<bool(QWidget* parent, const std::string& text)>;

/// Asks `text` in a modal box with "Yes" and "No"; true for "Yes". Closing the box answers "No".
bool AskYesNo(QWidget* parent, const std::string& text);

/// Tests: replace the question hook; returns the one in force before.
QuestionHook SetQuestionHook(QuestionHook hook);

}  // namespace egm2008::desktop
