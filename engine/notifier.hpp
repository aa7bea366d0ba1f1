// The engine's one channel to the user.
//
// A routine that meets a failure the user must hear of (a grid file that
// cannot be opened, a spacing that does not fit the grid size) hands a text
// and an icon kind to the Notifier its caller passed in. The desktop shell
// shows it as a modal message box, the command line prints it, a run may
// count or fold repeats, and tests record it. Texts are plain text: a path
// is part of the text as it is, never a format.
#pragma once

#include <string>

namespace egm2008::engine {

/// What a notice is: a failure (Error, which every failure is) or a text that is
/// none (a help text); a window shows the icon of either.
enum class NoticeIcon { None, Error };

/// Receives the messages of the engine and the pages; returns when the user has acknowledged.
class Notifier {
public:
    virtual ~Notifier() = default;
    /// Shows `text` (which may begin and end with line breaks) with `icon`.
    virtual void Notify(const std::string& text, NoticeIcon icon) = 0;
};

/// Drops every notice; for callers that report failures by status alone.
class SilentNotifier final : public Notifier {
public:
    void Notify(const std::string&, NoticeIcon) override {}
};

/// Passes on the first notice and drops the rest: several queries made for one
/// user action, which all fail for the same grid, tell the user once.
class FirstNoticeOnly final : public Notifier {
public:
    explicit FirstNoticeOnly(Notifier& next) : next_(next) {}
    void Notify(const std::string& text, NoticeIcon icon) override {
        if (told_) return;
        told_ = true;
        next_.Notify(text, icon);
    }

private:
    Notifier& next_;
    bool told_ = false;
};

}  // namespace egm2008::engine
