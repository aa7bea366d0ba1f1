#include "shell/file_drop.hpp"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include "engine/grid_probe.hpp"
#include "shell/desktop.hpp"
#include "tasks/engine_names.hpp"

namespace egm2008 {

namespace {

// The first local file of the drag's data, "" when there is none.
QString FirstLocalFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) return url.toLocalFile();
    }
    return {};
}

}  // namespace

FileDropTarget::FileDropTarget(QWidget* window, GridDropped onGrid, FileDropped onFile)
    : QObject(window), onGrid_(std::move(onGrid)), onFile_(std::move(onFile)) {
    window->setAcceptDrops(true);
    window->installEventFilter(this);
}

bool FileDropTarget::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto* drag = static_cast<QDropEvent*>(event);
        if (FirstLocalFile(drag->mimeData()).isEmpty()) return false;
        drag->acceptProposedAction();
        return true;
    }
    if (event->type() != QEvent::Drop) return QObject::eventFilter(watched, event);
    auto* drop = static_cast<QDropEvent*>(event);
    const QString file = FirstLocalFile(drop->mimeData());
    if (file.isEmpty()) return false;
    drop->acceptProposedAction();
    const std::string path = desktop::ToStdString(file);
    if (JudgeGridFile(path).size) {
        onGrid_(path);
    } else {
        onFile_(path);
    }
    return true;
}

}  // namespace egm2008
