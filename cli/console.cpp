#include "cli/console.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "tasks/messages.hpp"

namespace egm2008::cli {

bool WriteAll(int fd, std::string_view text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void OpenClosedStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // The lowest free descriptor: this one, as those below it are open.
        const int opened = ::open("/dev/null", O_RDWR);
        if (opened >= 0 && opened != fd) ::close(opened);
    }
}

void Console::Message(std::string_view text) {
    // Messages are best effort: there is nowhere left to report a failing stderr.
    (void)WriteAll(err_, "egm2008: " + OneLine(text) + "\n");
}

void Console::Notify(const std::string& text, NoticeIcon) {
    if (told_.insert(text).second) Message(text);
}

bool Console::Out(std::string_view text) { return WriteAll(out_, text); }

Progress::Progress(int fd, std::string unit)
    : Progress(fd, std::move(unit), ::isatty(fd) == 1, std::chrono::milliseconds(500),
               std::chrono::milliseconds(200)) {}

Progress::Progress(int fd, std::string unit, bool enabled, Clock::duration delay,
                   Clock::duration interval)
    : fd_(fd),
      unit_(std::move(unit)),
      enabled_(enabled),
      delay_(delay),
      interval_(interval),
      start_(Clock::now()) {}

void Progress::Update(std::uint64_t done, std::uint64_t total) {
    if (!enabled_) return;
    const Clock::time_point now = Clock::now();
    if (now - start_ < delay_ || (shown_ && now - last_ < interval_)) return;
    last_ = now;
    char text[160];
    if (total > 0) {
        const double percent = 100.0 * static_cast<double>(done) / static_cast<double>(total);
        std::snprintf(text, sizeof text, "\r\033[Kegm2008: %llu of %llu %s (%.0f%%)",
                      static_cast<unsigned long long>(done), static_cast<unsigned long long>(total),
                      unit_.c_str(), percent);
    } else {
        const double seconds = std::chrono::duration<double>(now - start_).count();
        const double rate = seconds > 0.0 ? static_cast<double>(done) / seconds : 0.0;
        std::snprintf(text, sizeof text, "\r\033[Kegm2008: %llu %s, %.0f/s",
                      static_cast<unsigned long long>(done), unit_.c_str(), rate);
    }
    shown_ = WriteAll(fd_, text) || shown_;
}

void Progress::Finish() {
    if (shown_) (void)WriteAll(fd_, "\r\033[K");
    shown_ = false;
}

}  // namespace egm2008::cli
