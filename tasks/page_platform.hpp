// What a page's logic needs of the window system, and nothing more: the text
// of its fields, message boxes (through Notifier), cursors, file dialogs and
// the start of an editor. The desktop shell implements it over Qt widgets
// looked up by their dialog IDs within one page; tests implement it with a
// fake that records every call.
#pragma once

#include <string>

#include "engine/notifier.hpp"

namespace egm2008 {

enum class CursorShape { Arrow, Wait };

class PagePlatform : public Notifier {
public:
    /// The whole text of field or button `id` (the page cuts it where it must).
    virtual std::string FieldText(int id) = 0;
    /// Replaces the text of field or button `id` (a button's caption too).
    virtual void SetFieldText(int id, const std::string& text) = 0;
    /// Shows the wait or the normal arrow cursor.
    virtual void SetCursor(CursorShape shape) = 0;
    /// Runs the open-file dialog; the chosen full path, or "" when cancelled.
    virtual std::string OpenFileDialog() = 0;
    /// Runs the save-file dialog (asks before overwriting); the full path, or "" when cancelled.
    virtual std::string SaveFileDialog() = 0;
    /// Opens `path` in the desktop's editor for it; waits for it to end when `wait`. Failures are
    /// not reported.
    virtual void StartEditor(const std::string& path, bool wait) = 0;
    /// Called now and then during a long run so that the window can repaint; input stays blocked.
    virtual void KeepAlive() {}
};

}  // namespace egm2008
