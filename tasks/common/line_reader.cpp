#include "tasks/common/line_reader.hpp"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <string_view>

namespace egm2008 {

namespace {
constexpr std::size_t kBufferSize = 64 * 1024;
}

bool LooksLikeText(std::string_view start) {
    return !HoldsBinary(start.substr(0, kTextProbeBytes));
}

bool HoldsBinary(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && c != '\t' && c != '\r' && c != '\n') || byte == 0x7F;
    });
}

LineReader::LineReader(int fd, std::size_t maxLineLength)
    : fd_(fd), maxLineLength_(maxLineLength > 0 ? maxLineLength : 1), buffer_(kBufferSize, '\0') {}

LineReader::Fill LineReader::Refill() {
    if (error_ != 0) return Fill::Error;
    if (ended_) return Fill::End;
    if (stop_.Requested() || (stop_.wakeFd >= 0 && !WaitForData())) return Fill::Stopped;
    ssize_t n;
    do {
        n = ::read(fd_, buffer_.data(), buffer_.size());
    } while (n < 0 && errno == EINTR && !stop_.Requested());
    if (n < 0 && errno == EINTR) return Fill::Stopped;
    if (n < 0) {
        error_ = errno != 0 ? errno : EIO;
        return Fill::Error;
    }
    position_ = 0;
    filled_ = static_cast<std::size_t>(n);
    if (n == 0) {
        ended_ = true;
        return Fill::End;
    }
    return Fill::Data;
}

bool LineReader::WaitForData() {
    pollfd fds[2] = {{fd_, POLLIN, 0}, {stop_.wakeFd, POLLIN, 0}};
    for (;;) {
        const int n = ::poll(fds, 2, -1);
        if (stop_.Requested() || (n > 0 && fds[1].revents != 0)) return false;
        // Data, end of file, a hang-up or an error: the read tells which.
        if (n > 0 || errno != EINTR) return true;
    }
}

bool LineReader::HasLine() const {
    if (records_) {
        RecordScan scan = *records_;
        scan.Start();
        return scan.Scan(std::string_view(buffer_).substr(position_, filled_ - position_)) !=
               std::string_view::npos;
    }
    return std::memchr(buffer_.data() + position_, '\n', filled_ - position_) != nullptr;
}

LineReader::Status LineReader::NextRecord(std::string& line) {
    records_->Start();
    for (;;) {
        if (position_ == filled_) {
            const Fill fill = Refill();
            if (fill == Fill::Error) return Status::Error;
            if (fill == Fill::Stopped) return Status::Stopped;
            if (fill == Fill::End) return line.empty() ? Status::End : Status::Line;
        }
        const std::string_view available =
            std::string_view(buffer_).substr(position_, filled_ - position_);
        const std::size_t length = records_->Scan(available);
        if (length != std::string_view::npos) {
            line.append(available.substr(0, length));
            position_ += length;
            return Status::Line;
        }
        line.append(available);
        position_ = filled_;
        if (line.size() > maxLineLength_) {
            overlong_ = true;
            return Status::Line;
        }
    }
}

LineReader::Status LineReader::CopyRecordRest(TextOutput& out) {
    while (!out.failed()) {
        if (position_ == filled_) {
            const Fill fill = Refill();
            if (fill == Fill::Error) return Status::Error;
            if (fill == Fill::Stopped) return Status::Stopped;
            if (fill == Fill::End) return Status::Line;
        }
        const std::string_view available =
            std::string_view(buffer_).substr(position_, filled_ - position_);
        const std::size_t length = records_->Scan(available);
        out.Write(available.substr(0, length));
        position_ += std::min(length, available.size());
        if (length != std::string_view::npos) return Status::Line;
    }
    return Status::Line;
}

LineReader::Status LineReader::Next(std::string& line) {
    line.clear();
    overlong_ = false;
    heldCr_ = false;
    const Status status = records_ ? NextRecord(line) : NextLine(line);
    if (status == Status::Line) {
        firstLine_ = nextLine_;
        nextLine_ = firstLine_ + (records_ ? std::max<std::int64_t>(records_->lineEnds(), 1) : 1);
    }
    return status;
}

LineReader::Status LineReader::NextLine(std::string& line) {
    bool crLast = false;  // the line so far ends in a CR whose next byte is still to come
    for (;;) {
        if (position_ == filled_) {
            const Fill fill = Refill();
            if (fill == Fill::Error) return Status::Error;
            if (fill == Fill::Stopped) return Status::Stopped;
            if (fill == Fill::End) return line.empty() ? Status::End : EndAtCr(line, crLast);
        }
        const char* start = buffer_.data() + position_;
        const std::size_t available = filled_ - position_;
        if (crLast) {
            if (*start == '\n') {
                ++position_;
                if (!keepCr_) line.pop_back();
                line.push_back('\n');
                return Status::Line;
            }
            return EndAtCr(line, true);
        }
        const auto* lf = static_cast<const char*>(std::memchr(start, '\n', available));
        if (crEnds_) {
            const std::size_t before =
                lf != nullptr ? static_cast<std::size_t>(lf - start) : available;
            const auto* cr = static_cast<const char*>(std::memchr(start, '\r', before));
            if (cr != nullptr && cr + 1 != lf) {
                const auto length = static_cast<std::size_t>(cr - start) + 1;
                line.append(start, length);
                position_ += length;
                if (position_ < filled_) return EndAtCr(line, true);
                crLast = true;  // an LF may still follow it
                continue;
            }
        }
        if (lf != nullptr) {
            const auto length = static_cast<std::size_t>(lf - start);
            line.append(start, length);
            position_ += length + 1;
            if (!keepCr_ && !line.empty() && line.back() == '\r') line.pop_back();
            line.push_back('\n');
            return Status::Line;
        }
        line.append(start, available);
        position_ = filled_;
        if (line.size() > maxLineLength_) {
            overlong_ = true;
            if (line.back() == '\r') {
                line.pop_back();
                heldCr_ = true;
            }
            return Status::Line;
        }
    }
}

LineReader::Status LineReader::EndAtCr(std::string& line, bool crLast) const {
    if (crLast && !keepCr_) line.back() = '\n';
    return Status::Line;
}

LineReader::Status LineReader::CopyRest(TextOutput& out) {
    if (!overlong_) return Status::Line;
    overlong_ = false;
    if (records_) {
        const Status status = CopyRecordRest(out);
        nextLine_ = firstLine_ + std::max<std::int64_t>(records_->lineEnds(), 1);
        return status;
    }
    while (!out.failed()) {
        if (position_ == filled_) {
            const Fill fill = Refill();
            if (fill == Fill::Error) return Status::Error;
            if (fill == Fill::Stopped) return Status::Stopped;
            if (fill == Fill::End) {
                if (heldCr_) out.Write("\r");
                heldCr_ = false;
                return Status::Line;
            }
        }
        const char* start = buffer_.data() + position_;
        const std::size_t available = filled_ - position_;
        const auto* lf = static_cast<const char*>(std::memchr(start, '\n', available));
        std::string_view piece(start,
                               lf != nullptr ? static_cast<std::size_t>(lf - start) : available);
        // A held CR is dropped only when the LF follows it directly.
        if (heldCr_ && !(lf != nullptr && piece.empty())) out.Write("\r");
        heldCr_ = false;
        if (lf != nullptr) {
            position_ += piece.size() + 1;
            if (!piece.empty() && piece.back() == '\r') piece.remove_suffix(1);
            out.Write(piece);
            out.Write("\r\n");
            return Status::Line;
        }
        position_ = filled_;
        if (!piece.empty() && piece.back() == '\r') {
            piece.remove_suffix(1);
            heldCr_ = true;
        }
        out.Write(piece);
    }
    return Status::Line;
}

}  // namespace egm2008
