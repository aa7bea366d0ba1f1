// A Notifier that records every notice it is told, in order.
#pragma once

#include <string>
#include <vector>

#include "engine/notifier.hpp"

namespace egm2008::test {

/// One notice: its text and icon.
struct Notice {
    std::string text;
    engine::NoticeIcon icon = engine::NoticeIcon::None;
    bool operator==(const Notice&) const = default;
};

/// Records every notice.
class RecordingNotifier : public engine::Notifier {
public:
    void Notify(const std::string& text, engine::NoticeIcon icon) override {
        notices.push_back({text, icon});
    }
    std::vector<Notice> notices;
};

}  // namespace egm2008::test
