#include "tasks/common/text_output.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>

#include "engine/file_access.hpp"
#include "tasks/engine_names.hpp"
#include "tasks/common/fixed_format.hpp"

namespace egm2008 {

TextOutput::~TextOutput() { Close(); }

bool TextOutput::Open(const std::string& path) {
    Close();
    error_ = 0;
    buffer_.clear();
    // A FIFO that nobody reads is refused (ENXIO) instead of holding the open for ever.
    const int fd = OpenOutputFile(path);
    if (fd < 0) return false;
    fd_ = fd;
    owned_ = true;
    buffer_.reserve(kFlushSize + 4096);
    return true;
}

void TextOutput::Attach(int fd) {
    Close();
    error_ = 0;
    buffer_.clear();
    fd_ = fd;
    owned_ = false;
    buffer_.reserve(kFlushSize + 4096);
}

void TextOutput::Adopt(int fd) {
    Attach(fd);
    owned_ = true;
}

void TextOutput::Write(std::string_view text) {
    if (text.size() < kDirectSize) {
        buffer_.append(text);
        Commit();
        return;
    }
    // Large pieces go straight out, after what is buffered, instead of through the buffer.
    Flush();
    WriteOut(text);
}

void TextOutput::WriteLine(std::string_view text) {
    buffer_.append(text);
    buffer_.append("\r\n");
    Commit();
}

void TextOutput::WriteOut(std::string_view text) {
    std::size_t done = 0;
    while (done < text.size() && error_ == 0) {
        if (fd_ < 0) {
            error_ = EBADF;
            break;
        }
        const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR && !stop_.Requested()) continue;
        if (n <= 0) {
            error_ = n < 0 ? errno : EIO;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
}

void TextOutput::WriteAt(std::uint64_t offset, std::string_view bytes) {
    Flush();
    std::size_t done = 0;
    while (done < bytes.size() && error_ == 0) {
        if (fd_ < 0) {
            error_ = EBADF;
            break;
        }
        const ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done,
                                   static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR && !stop_.Requested()) continue;
        if (n <= 0) {
            error_ = n < 0 ? errno : EIO;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
}

bool TextOutput::Flush() {
    WriteOut(buffer_);
    buffer_.clear();
    return error_ == 0;
}

bool TextOutput::Close() {
    if (fd_ < 0 && buffer_.empty()) return error_ == 0;
    Flush();
    // A file removed during the run (its folder deleted) kept every byte nowhere.
    struct stat info {};
    if (owned_ && fd_ >= 0 && error_ == 0 && ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode) &&
        info.st_nlink == 0) {
        error_ = ENOENT;
    }
    if (owned_ && fd_ >= 0 && ::close(fd_) != 0 && error_ == 0) error_ = errno;
    fd_ = -1;
    owned_ = false;
    return error_ == 0;
}

void AppendFormat(std::string& out, const char* format, ...) {
    char local[256];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(local, sizeof local, format, args);
    va_end(args);
    if (n >= 0 && static_cast<std::size_t>(n) < sizeof local) {
        out.append(local, static_cast<std::size_t>(n));
    } else if (n >= 0) {
        const std::size_t start = out.size();
        out.resize(start + static_cast<std::size_t>(n) + 1);
        std::vsnprintf(out.data() + start, static_cast<std::size_t>(n) + 1, format, again);
        out.resize(start + static_cast<std::size_t>(n));
    }
    va_end(again);
}

void AppendPointLine(std::string& out, double first, double second, float undulation) {
    // WriteFixed gives printf's text byte for byte, in the "C" locale.
    char text[3 * kFixedTextLimit + 8];
    char* at = WriteFixed(text, first, 10, 6);
    *at++ = ' ';
    at = WriteFixed(at, second, 11, 6);
    *at++ = ' ';
    at = WriteFixed(at, static_cast<double>(undulation), 8, 3);
    *at++ = '\r';
    *at++ = '\n';
    out.append(text, static_cast<std::size_t>(at - text));
}

}  // namespace egm2008
