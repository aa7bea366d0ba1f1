// States of the whole process a test sets for its own length and restores at
// the end: the working directory, an environment variable, the C locale, an
// alarm against a hang and a limit on the size of files.
#pragma once

#include <sys/resource.h>

#include <filesystem>
#include <optional>
#include <string>

namespace egm2008::test {

/// Makes `dir` the working directory while the object lives.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::string& dir);
    ~WorkingDirectory();
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    std::filesystem::path previous_;
};

/// Sets the environment variable `name` to `value` (unsets it for nothing) while the
/// object lives.
class EnvironmentVariable {
public:
    EnvironmentVariable(std::string name, const std::optional<std::string>& value);
    ~EnvironmentVariable();
    EnvironmentVariable(const EnvironmentVariable&) = delete;
    EnvironmentVariable& operator=(const EnvironmentVariable&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

/// Sets the whole process to a locale whose decimal separator is a comma, when
/// one is installed (LOCPATH may point to one made with localedef), and
/// restores the previous locale at the end.
class CommaLocale {
public:
    CommaLocale();
    ~CommaLocale();
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;
    /// The locale set, "" when none could be.
    const std::string& name() const { return name_; }

private:
    std::string saved_;
    std::string name_;
};

/// Kills the test program when a step blocks (a FIFO opened for a writer or
/// reader that never comes) for 60 s instead of letting the suite hang.
class BlockGuard {
public:
    BlockGuard();
    ~BlockGuard();
    BlockGuard(const BlockGuard&) = delete;
    BlockGuard& operator=(const BlockGuard&) = delete;
};

/// Files may grow no larger than `limit` bytes while the object lives: a write
/// beyond fails (EFBIG) as on a full disk, after the writes before it succeeded.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

}  // namespace egm2008::test
