#include "tests/support/process_state.hpp"

#include <unistd.h>

#include <clocale>
#include <csignal>
#include <system_error>

namespace egm2008::test {

WorkingDirectory::WorkingDirectory(const std::string& dir)
    : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
}

WorkingDirectory::~WorkingDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
}

CommaLocale::CommaLocale() : saved_(std::setlocale(LC_ALL, nullptr)) {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"}) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            name_ = name;
            break;
        }
    }
}

CommaLocale::~CommaLocale() { std::setlocale(LC_ALL, saved_.c_str()); }

BlockGuard::BlockGuard() { ::alarm(60); }

BlockGuard::~BlockGuard() { ::alarm(0); }

FileSizeLimit::FileSizeLimit(rlim_t limit) {
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &previous_);
    rlimit lowered = previous_;
    lowered.rlim_cur = limit;
    ::setrlimit(RLIMIT_FSIZE, &lowered);
}

FileSizeLimit::~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previousHandler_);
}

}  // namespace egm2008::test
