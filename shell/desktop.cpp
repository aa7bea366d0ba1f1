#include "shell/desktop.hpp"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <utility>

#include "shell/report_dialog.hpp"

namespace egm2008::desktop {

namespace {

MessageHook& MessageHookSlot() {
    static MessageHook hook;
    return hook;
}

FileDialogHook& FileDialogHookSlot() {
    static FileDialogHook hook;
    return hook;
}

LauncherHook& LauncherHookSlot() {
    static LauncherHook hook;
    return hook;
}

void RealMessage(QWidget* parent, const std::string& text, NoticeIcon icon) {
    QMessageBox box(icon == NoticeIcon::Error ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QString::fromLatin1(kMessageTitle), ToQString(text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

std::string RealFileDialog(QWidget* parent, FileDialogKind kind, const QString& filter,
                           const QString& folder) {
    QFileDialog::Options options;
    if (qEnvironmentVariableIsSet("EGM2008_QT_FILE_DIALOG")) {
        options |= QFileDialog::DontUseNativeDialog;
    }
    const QString chosen = kind == FileDialogKind::Open
                               ? QFileDialog::getOpenFileName(parent, QStringLiteral("Open"),
                                                              folder, filter, nullptr, options)
                               : QFileDialog::getSaveFileName(parent, QStringLiteral("Save As"),
                                                              folder, filter, nullptr, options);
    return ToStdString(chosen);
}

// xdg-open hands the file to the desktop's default application; it is not
// waited for, so the viewer outlives this program when the user wants it so.
bool RealLauncher(const std::string& path) {
    return QProcess::startDetached(QStringLiteral("xdg-open"), {ToQString(path)});
}

}  // namespace

void ShowMessage(QWidget* parent, const std::string& text, NoticeIcon icon) {
    if (const MessageHook& hook = MessageHookSlot()) {
        hook(parent, text, icon);
    } else {
        RealMessage(parent, text, icon);
    }
}

std::string RunFileDialog(QWidget* parent, FileDialogKind kind, const std::string& filter,
                          const std::string& folder) {
    if (const FileDialogHook& hook = FileDialogHookSlot()) return hook(parent, kind, folder);
    return RealFileDialog(parent, kind, ToQString(filter), ToQString(folder));
}

bool OpenWithDefaultApplication(QWidget* parent, const std::string& path) {
    const QFileInfo file(ToQString(path));
    if (path.empty() || !file.exists()) {
        ShowMessage(parent, FileToShowMissingMessage(path), NoticeIcon::Error);
        return false;
    }
    const std::string absolute = ToStdString(file.absoluteFilePath());
    const LauncherHook& hook = LauncherHookSlot();
    if (!(hook ? hook(absolute) : RealLauncher(absolute))) {
        ShowMessage(parent, ViewerNotStartedMessage(absolute), NoticeIcon::Error);
        return false;
    }
    return true;
}

void KeepPainting() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

MessageHook SetMessageHook(MessageHook hook) {
    return std::exchange(MessageHookSlot(), std::move(hook));
}

FileDialogHook SetFileDialogHook(FileDialogHook hook) {
    return std::exchange(FileDialogHookSlot(), std::move(hook));
}

LauncherHook SetLauncherHook(LauncherHook hook) {
    return std::exchange(LauncherHookSlot(), std::move(hook));
}

}  // namespace egm2008::desktop

namespace egm2008::desktop {

namespace {

QuestionHook& QuestionHookSlot() {
    static QuestionHook hook;
    return hook;
}

bool RealQuestion(QWidget* parent, const std::string& text) {
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(kMessageTitle), ToQString(text),
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace

bool AskYesNo(QWidget* parent, const std::string& text) {
    if (const QuestionHook& hook = QuestionHookSlot()) return hook(parent, text);
    return RealQuestion(parent, text);
}

QuestionHook SetQuestionHook(QuestionHook hook) {
    return std::exchange(QuestionHookSlot(), std::move(hook));
}

namespace {

ReportHook& ReportHookSlot() {
    static ReportHook hook;
    return hook;
}

}  // namespace

void ShowReport(QWidget* parent, const std::string& title, const std::string& text) {
    if (const ReportHook& hook = ReportHookSlot()) {
        hook(parent, title, text);
        return;
    }
    ReportDialog dialog(parent, ToQString(title), ToQString(text));
    dialog.exec();
}

ReportHook SetReportHook(ReportHook hook) {
    return std::exchange(ReportHookSlot(), std::move(hook));
}

}  // namespace egm2008::desktop
