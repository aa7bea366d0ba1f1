#include "shell/desktop.hpp"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>
#include <utility>

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

std::string RealFileDialog(QWidget* parent, FileDialogKind kind) {
    QFileDialog dialog(parent);
    // Qt's own dialog on every desktop: a native open dialog would refuse a new name.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (kind == FileDialogKind::Open) {
        dialog.setWindowTitle(QStringLiteral("Open"));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setWindowTitle(QStringLiteral("Save As"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    }
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? std::string() : ToStdString(chosen.front());
}

void RealLauncher(const std::string& path, bool wait) {
    const QString file = QFileInfo(ToQString(path)).absoluteFilePath();
    if (!wait) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(file));
        return;
    }
    QProcess launcher;
    launcher.start(QStringLiteral("xdg-open"), {file});
    if (!launcher.waitForStarted()) return;
    while (!launcher.waitForFinished(50)) {
        if (launcher.state() == QProcess::NotRunning) break;
        KeepPainting();
    }
}

}  // namespace

void ShowMessage(QWidget* parent, const std::string& text, NoticeIcon icon) {
    if (const MessageHook& hook = MessageHookSlot()) {
        hook(parent, text, icon);
    } else {
        RealMessage(parent, text, icon);
    }
}

std::string RunFileDialog(QWidget* parent, FileDialogKind kind) {
    if (const FileDialogHook& hook = FileDialogHookSlot()) return hook(parent, kind);
    return RealFileDialog(parent, kind);
}

void OpenWithDefaultApplication(const std::string& path, bool wait) {
    if (const LauncherHook& hook = LauncherHookSlot()) {
        hook(path, wait);
    } else {
        RealLauncher(path, wait);
    }
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

}  // namespace egm2008::desktop
