// Files dropped on the main window. A grid file, known by its length or first
// record marker (JudgeGridFile, engine/grid_probe.hpp), whole or cut short,
// becomes the external database; any other file becomes the input of the page the
// window chooses (the "Heights" page while it is shown, else the point file's).
// Only the first local file of a drop counts.
#pragma once

#include <QObject>
#include <functional>
#include <string>

class QWidget;

namespace egm2008 {

class FileDropTarget : public QObject {
    Q_OBJECT
public:
    using GridDropped = std::function<void(const std::string& path)>;
    using FileDropped = std::function<void(const std::string& path)>;

    /// Accepts drops on `window` (it becomes the parent) and hands them on.
    FileDropTarget(QWidget* window, GridDropped onGrid, FileDropped onFile);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    GridDropped onGrid_;
    FileDropped onFile_;
};

}  // namespace egm2008
