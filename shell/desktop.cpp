#include "shell/desktop.hpp"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
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
    QMessageBox box(icon == NoticeIcon::Error ? QMessageBox::Critical : QMessageBox::Information,
                    QString::fromLatin1(kMessageTitle), ToQString(text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

std::string RealFileDialog(QWidget* parent, FileDialogKind kind, const QString& filter,
                           const QString& folder, const QString& title) {
    QFileDialog::Options options;
    if (qEnvironmentVariableIsSet("EGM2008_QT_FILE_DIALOG")) {
        options |= QFileDialog::DontUseNativeDialog;
    }
    const bool open = kind == FileDialogKind::Open;
    const QString caption = !title.isEmpty() ? title
                            : open           ? QStringLiteral("Open")
                                             : QStringLiteral("Save As");
    const QString chosen =
        open ? QFileDialog::getOpenFileName(parent, caption, folder, filter, nullptr, options)
             : QFileDialog::getSaveFileName(parent, caption, folder, filter, nullptr, options);
    return ToStdString(chosen);
}

// A launcher that fails within this many milliseconds found no viewer; a later
// failure is the viewer's own end (xdg-open may wait for the browser it started).
constexpr qint64 kLauncherFailureWindow = 10000;

// xdg-open hands the file to the desktop's default application; it is not
// waited for. Its object is nobody's child, so that neither the window's end
// nor the program's stops the viewer the user wants to keep; `failed` runs when
// it soon ends with a failure.
bool RealLauncher(const std::string& path, const std::function<void()>& failed) {
    auto* process = new QProcess;
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    QElapsedTimer clock;
    clock.start();
    QObject::connect(process, &QProcess::finished, process,
                     [process, clock, failed](int code, QProcess::ExitStatus status) {
                         process->deleteLater();
                         const bool soon = clock.elapsed() < kLauncherFailureWindow;
                         if (soon && (status != QProcess::NormalExit || code != 0)) failed();
                     });
    process->start(QStringLiteral("xdg-open"), {ToQString(path)});
    if (process->waitForStarted()) return true;
    delete process;
    return false;
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
                          const std::string& folder, const std::string& title) {
    if (const FileDialogHook& hook = FileDialogHookSlot()) return hook(parent, kind, folder);
    return RealFileDialog(parent, kind, ToQString(filter), ToQString(folder), ToQString(title));
}

bool OpenWithDefaultApplication(QWidget* parent, const std::string& path,
                                ViewerFailureText failure) {
    const QFileInfo file(ToQString(path));
    if (path.empty() || !file.exists()) {
        ShowMessage(parent, FileToShowMissingMessage(path), NoticeIcon::Error);
        return false;
    }
    const std::string absolute = ToStdString(file.absoluteFilePath());
    // Told over the window while it is still there.
    const QPointer<QWidget> window(parent);
    const auto failed = [window, absolute, failure] {
        ShowMessage(window.data(), failure(absolute), NoticeIcon::Error);
    };
    const LauncherHook& hook = LauncherHookSlot();
    if (!(hook ? hook(absolute) : RealLauncher(absolute, failed))) {
        failed();
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

namespace egm2008::desktop {

std::string RunTitledSaveDialog(QWidget* parent, const std::string& title,
                                const std::string& filter) {
    if (const FileDialogHook& hook = FileDialogHookSlot()) {
        return hook(parent, FileDialogKind::Save, {});
    }
    QFileDialog::Options options;
    if (qEnvironmentVariableIsSet("EGM2008_QT_FILE_DIALOG")) {
        options |= QFileDialog::DontUseNativeDialog;
    }
    return ToStdString(QFileDialog::getSaveFileName(parent, ToQString(title), QString(),
                                                    ToQString(filter), nullptr, options));
}

void ShowPlotReport(QWidget* parent, const std::string& title, const std::string& text,
                    const Plot& plot) {
    if (const ReportHook& hook = ReportHookSlot()) {
        hook(parent, title, text);
        return;
    }
    ReportDialog dialog(parent, ToQString(title), ToQString(text), &plot);
    dialog.exec();
}

}  // namespace egm2008::desktop
