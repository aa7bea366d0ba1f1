#include "tests/support/process_state.hpp"

#include <unistd.h>

#include <clocale>
#include <csignal>
#include <cstdlib>
#include <utility>
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

namespace {

void SetVariable(const std::string& name, const std::optional<std::string>& value) {
    if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
    } else {
        ::unsetenv(name.c_str());
    }
}

}  // namespace

EnvironmentVariable::EnvironmentVariable(std::string name, const std::optional<std::string>& value)
    : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) previous_ = old;
    SetVariable(name_, value);
}

EnvironmentVariable::~EnvironmentVariable() { SetVariable(name_, previous_); }

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
