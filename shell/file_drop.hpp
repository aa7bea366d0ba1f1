// Files dropped on the main window. A grid file, known by its length and first
// record marker (engine/grid_probe.hpp), becomes the external database with
// its size and byte order; any other file becomes the input of the page the
// window chooses (the "Heights" page while it is shown, else the point file's).
// Only the first local file of a drop counts.
#pragma once

#include <QObject>
#include <functional>
#include <string>

#include "engine/geoid_grid.hpp"
#include "tasks/engine_names.hpp"

class QWidget;

namespace egm2008 {

class FileDropTarget : public QObject {
    Q_OBJECT
public:
    using GridDropped = std::function<void(const std::string& path, GridSize size, bool bigEndian)>;
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
