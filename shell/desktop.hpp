// What the shell asks of the desktop: modal message boxes and reports, the open
// and save file dialogs, and opening a file with the desktop's default application.
// Each goes through one function here, so that tests can put a recording
// stand-in in its place (an empty hook puts the real one back).
#pragma once

#include <QString>
#include <functional>
#include <string>

#include "engine/notifier.hpp"
#include "tasks/engine_names.hpp"
#include "shell/messages.hpp"

class QWidget;

namespace egm2008::desktop {

enum class FileDialogKind { Open, Save };

using MessageHook = std::function<void(QWidget* parent, const std::string& text, NoticeIcon icon)>;
using FileDialogHook =
    std::function<std::string(QWidget* parent, FileDialogKind kind, const std::string& folder)>;
/// Starts the viewer for an existing file; false when it could not be started.
/// The real one calls `failed` later when the launcher ends with a failure.
using LauncherHook = std::function<bool(const std::string& path)>;

/// Shows `text` in a modal box with an OK button and the error icon (NoticeIcon::Error) or the
/// information icon; returns when closed.
void ShowMessage(QWidget* parent, const std::string& text, NoticeIcon icon);

/// Runs the desktop's own file dialog (the portal's or the native one; Qt's own
/// when the environment sets EGM2008_QT_FILE_DIALOG): the chosen full path, or
/// "" when cancelled. The open dialog picks an existing file; the save dialog
/// asks before an existing file is overwritten. `filter` ("PNG picture (*.png)")
/// offers those files only; "" offers all. It opens in `folder` when one is
/// given, under `title` ("" for "Open" or "Save As").
std::string RunFileDialog(QWidget* parent, FileDialogKind kind, const std::string& filter = {},
                          const std::string& folder = {}, const std::string& title = {});

/// What to tell when no viewer could be started for the file at `path`.
using ViewerFailureText = std::string (*)(const std::string& path);

/// Opens `path` (relative names from the working folder) with the desktop's
/// default application and returns at once. A file that does not exist, or a
/// launcher that cannot be started, is told in one message box over `parent`;
/// false then. A launcher that soon ends with a failure (xdg-open finding no
/// application for the file) is told as well when it has ended, by `failure`.
bool OpenWithDefaultApplication(QWidget* parent, const std::string& path,
                                ViewerFailureText failure = ViewerNotStartedMessage);

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

using ReportHook =
    std::function<void(QWidget* parent, const std::string& title, const std::string& text)>;

/// Shows `text` in a modal ReportDialog titled `title` (report_dialog.hpp); returns when closed.
void ShowReport(QWidget* parent, const std::string& title, const std::string& text);

/// Tests: replace the report hook; returns the one in force before.
ReportHook SetReportHook(ReportHook hook);

}  // namespace egm2008::desktop

namespace egm2008 {
struct Plot;
}

namespace egm2008::desktop {

/// The save dialog as RunFileDialog runs it, titled `title` ("Export map as
/// PNG") and offering the files of `filter`; the file dialog hook answers it too.
std::string RunTitledSaveDialog(QWidget* parent, const std::string& title,
                                const std::string& filter);

/// As ShowReport, with `plot` drawn above the text (plot_view.hpp); the report
/// hook answers it too.
void ShowPlotReport(QWidget* parent, const std::string& title, const std::string& text,
                    const Plot& plot);

}  // namespace egm2008::desktop
