#include "tasks/nmea/nmea_gga.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "engine/query_routines.hpp"
#include "tasks/common/field_text.hpp"
#include "tasks/common/text_output.hpp"

namespace egm2008 {

namespace {

// A line shorter than this (its line end counted as one character) is no sentence.
constexpr std::size_t kMinimumLength = 30;
// Fields 1 to 14 of the sentence follow its identifier.
constexpr int kFieldCount = 14;
// Real values lie far below this; beyond it a value is taken as garbage, which
// also bounds the length of a rewritten sentence.
constexpr double kMaxMagnitude = 1e9;

bool IsWhite(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsDelimiter(char c) { return c == ',' || c == '*' || c == '\r' || c == '\n'; }
bool IsEmptyField(std::string_view field) { return field.empty() || field.front() == ' '; }
bool IsBlankField(std::string_view field) {
    return field.find_first_not_of(' ') == std::string_view::npos;
}
bool IsMetres(std::string_view field) { return field.front() == 'M' || field.front() == 'm'; }
bool Bounded(double value) { return std::isfinite(value) && std::fabs(value) < kMaxMagnitude; }
bool IsOneOf(char c, std::string_view set) { return set.find(c) != std::string_view::npos; }
bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
// "$", a two-letter talker, "GGA".
bool IsGgaIdentifier(std::string_view t) {
    return t.size() == 6 && t[0] == '$' && IsUpper(t[1]) && IsUpper(t[2]) && t.substr(3) == "GGA";
}

// Tokens separated by runs of ",", "*", CR and LF, as strtok splits them.
class Tokenizer {
public:
    explicit Tokenizer(std::string_view text) : text_(text) {}
    bool Next(std::string_view& token) {
        while (position_ < text_.size() && IsDelimiter(text_[position_])) ++position_;
        if (position_ == text_.size()) return false;
        const std::size_t start = position_;
        while (position_ < text_.size() && !IsDelimiter(text_[position_])) ++position_;
        token = text_.substr(start, position_ - start);
        return true;
    }
    /// What follows the last token handed out.
    std::string_view Rest() const { return text_.substr(position_); }

private:
    std::string_view text_;
    std::size_t position_ = 0;
};

// The decimal number at the start of `text` after white space (sign, digits,
// fraction, exponent), 0 when there is none. False when it is not Bounded.
bool LeadingNumber(std::string_view text, double& value) {
    std::size_t i = 0;
    while (i < text.size() && IsWhite(text[i])) ++i;
    const std::size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) ++digits;
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && IsDigit(text[i]); ++i) ++digits;
    }
    value = 0.0;
    if (digits == 0) return true;
    std::size_t end = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j])) ++j;
            end = j;
        }
    }
    // Only the decimal prefix goes to strtod, which would also take "0x..", "inf", "nan".
    const std::string number(text.substr(start, end - start));
    value = std::strtod(number.c_str(), nullptr);
    return Bounded(value);
}

// The decimal integer at the start of `text` after white space, 0 when there is
// none. False when it does not fit 32 bits.
bool LeadingInteger(std::string_view text, std::int32_t& value) {
    std::size_t i = 0;
    while (i < text.size() && IsWhite(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::int64_t magnitude = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > std::int64_t{1} << 31) return false;
    }
    const std::int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT32_MAX) return false;
    value = static_cast<std::int32_t>(signedValue);
    return true;
}

// A float field read as a leading number; false when not Bounded.
bool LeadingFloat(std::string_view text, float& value) {
    double number = 0.0;
    if (!LeadingNumber(text, number)) return false;
    value = static_cast<float>(number);
    return true;
}

// A height: a leading number that must be there; text without one would be made up as 0.
bool Height(std::string_view text, float& value) {
    std::size_t i = 0;
    while (i < text.size() && IsWhite(text[i])) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (i < text.size() && text[i] == '.') ++i;
    return i < text.size() && IsDigit(text[i]) && LeadingFloat(text, value);
}

// "ddmm.mmmm" or "dddmm.mmmm" as "%2d%lf" or "%3d%lf" read it; false when either
// part cannot be read or the minutes are not Bounded.
bool DegreesMinutes(std::string_view field, bool threeDigits, std::int32_t& degrees,
                    double& minutes) {
    const std::string text(field);
    int whole = 0;
    double rest = 0.0;
    if (std::sscanf(text.c_str(), threeDigits ? "%3d%lf" : "%2d%lf", &whole, &rest) != 2) {
        return false;
    }
    if (!Bounded(rest)) return false;
    degrees = whole;
    minutes = rest;
    return true;
}

// False when a checksum follows the "*" after the "$" and it is not two
// hexadecimal digits (then only blanks) equal to the sentence's checksum.
bool ChecksumAgrees(std::string_view body) {
    const std::size_t dollar = body.find('$');
    if (dollar == std::string_view::npos) return true;
    const std::size_t star = body.find('*', dollar + 1);
    if (star == std::string_view::npos) return true;
    const std::string_view given = body.substr(star + 1);
    if (given.size() < 2) return false;
    const int high = HexDigit(given[0]);
    const int low = HexDigit(given[1]);
    if (high < 0 || low < 0) return false;
    for (const char c : given.substr(2)) {
        if (c != ' ' && c != '\t' && c != '\r') return false;
    }
    return NmeaChecksum(body.substr(dollar + 1, star - dollar - 1)) == high * 16 + low;
}

}  // namespace

std::string MarkEmptyFields(std::string_view line) {
    std::string marked;
    marked.reserve(line.size() + line.size() / 2);
    char previous = '\0';
    bool first = true;
    for (const char c : line) {
        if (!first && previous == ',' && (c == ',' || c == '*')) marked.push_back(' ');
        marked.push_back(c);
        previous = c;
        first = false;
    }
    return marked;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::uint8_t NmeaChecksum(std::string_view text) {
    unsigned sum = 0;
    for (const char c : text) sum ^= static_cast<unsigned char>(c);
    return static_cast<std::uint8_t>(sum);
}

namespace {

// What makes a line no GGA sentence to rewrite before any field is read: its
// identifier, its length, records joined by CR, its checksum. `tokens` is left
// after the identifier.
GgaCopyReason CheckSentenceFrame(std::string_view body, std::size_t length, Tokenizer& tokens) {
    using R = GgaCopyReason;
    std::string_view identifier;
    if (!tokens.Next(identifier) || !IsGgaIdentifier(identifier)) return R::NotGga;
    if (identifier != "$GPGGA" && identifier != "$GLGGA" && identifier != "$GNGGA") {
        return R::OtherTalker;
    }
    if (length < kMinimumLength) return R::Unreadable;
    // A CR inside the line, with more than blanks after it, ends one record and
    // starts another (a log with CR-only line ends): no single sentence.
    if (const std::size_t cr = body.find('\r');
        cr != std::string_view::npos &&
        body.find_first_not_of("\r \t", cr) != std::string_view::npos) {
        return R::Unreadable;
    }
    // A corrupted sentence must not come out with a fresh, valid checksum.
    return ChecksumAgrees(body) ? R::None : R::WrongChecksum;
}

}  // namespace

GgaCopyReason ParseGgaFields(std::string_view line, GgaFields& fields) {
    using R = GgaCopyReason;
    std::string_view body = line;
    std::size_t length = line.size();
    if (!body.empty() && body.back() == '\n') {
        body.remove_suffix(1);
        if (!body.empty() && body.back() == '\r') body.remove_suffix(1);
        length = body.size() + 1;
    }
    const std::string marked = MarkEmptyFields(body);
    // The fields end at the checksum: a sentence cut before its last field must
    // not take the checksum's digits for one.
    Tokenizer tokens(std::string_view(marked).substr(0, marked.find('*')));
    if (const R frame = CheckSentenceFrame(body, length, tokens); frame != R::None) return frame;

    std::string_view field[kFieldCount];
    for (auto& f : field) {
        if (!tokens.Next(f)) return R::Unreadable;  // ends before its 14th field
    }
    // More fields before the checksum: not a GGA sentence; rewriting it would drop them.
    if (tokens.Rest().find_first_not_of(",\r\n") != std::string_view::npos) return R::Unreadable;
    // Without a fix a receiver leaves these empty; nothing may be made up for them.
    for (const int k : {1, 2, 3, 4, 8, 10}) {
        if (IsBlankField(field[k])) return R::EmptyFields;
    }
    if (!IsMetres(field[9]) || !IsMetres(field[11])) return R::NotMetres;

    CNumericScope numbers;
    double time = 0.0;
    if (!LeadingNumber(field[0], time)) return R::Unreadable;
    fields.utcTime = time;
    if (!DegreesMinutes(field[1], false, fields.latDegrees, fields.latMinutes))
        return R::Unreadable;
    fields.latHemisphere = field[2].front();
    if (!IsOneOf(fields.latHemisphere, "NSns")) return R::Unreadable;
    if (!DegreesMinutes(field[3], true, fields.lonDegrees, fields.lonMinutes)) return R::Unreadable;
    fields.lonHemisphere = field[4].front();
    if (!IsOneOf(fields.lonHemisphere, "EWew")) return R::Unreadable;
    if (!LeadingInteger(field[5], fields.fixQuality)) return R::Unreadable;
    if (!LeadingInteger(field[6], fields.satellites)) return R::Unreadable;
    if (!LeadingFloat(field[7], fields.hdop)) return R::Unreadable;
    if (!Height(field[8], fields.altitude)) return R::Unreadable;
    fields.altitudeUnit = field[9].front();
    if (!Height(field[10], fields.separation)) return R::Unreadable;
    fields.separationUnit = field[11].front();
    fields.hasAge = !IsEmptyField(field[12]);
    if (fields.hasAge && !LeadingFloat(field[12], fields.age)) return R::Unreadable;
    fields.hasStation = !IsEmptyField(field[13]);
    if (fields.hasStation && !LeadingInteger(field[13], fields.station)) return R::Unreadable;
    return R::None;
}

bool ParseGgaSentence(std::string_view line, GgaFields& fields) {
    return ParseGgaFields(line, fields) == GgaCopyReason::None;
}

UndulationQuery GridQuery(const GeoidGrid& grid, InterpolationMethod method, MappedGrid& mapped,
                          TideSystem tide) {
    if (tide == TideSystem::TideFree) {
        return [&grid, method, &mapped](double latitude, double longitude, float& undulation) {
            return ComputeUndulation(grid, method, latitude, longitude, undulation, mapped);
        };
    }
    return [&grid, method, &mapped, tide](double latitude, double longitude, float& undulation) {
        const QueryStatus status =
            ComputeUndulation(grid, method, latitude, longitude, undulation, mapped);
        if (status == QueryStatus::StatusOk)
            undulation =
                static_cast<float>(InTideSystem(tide, latitude, static_cast<double>(undulation)));
        return status;
    };
}

GgaRewrite RewriteGgaSentence(std::string_view line, const UndulationQuery& query,
                              std::string& sentence) {
    GgaCopyReason reason = GgaCopyReason::None;
    return RewriteGgaSentence(line, query, sentence, reason);
}

GgaRewrite RewriteGgaSentence(std::string_view line, const UndulationQuery& query,
                              std::string& sentence, GgaCopyReason& reason) {
    sentence.clear();
    GgaFields f;
    reason = ParseGgaFields(line, f);
    if (reason != GgaCopyReason::None) return GgaRewrite::Copied;

    double latitude = f.latDegrees + f.latMinutes / 60.0;
    if (f.latHemisphere == 'S' || f.latHemisphere == 's') latitude = -latitude;
    double longitude = f.lonDegrees + f.lonMinutes / 60.0;
    if (f.lonHemisphere == 'W' || f.lonHemisphere == 'w') longitude = -longitude;
    if (longitude < 0.0) longitude += 360.0;

    float undulation = 0.0f;
    if (query(latitude, longitude, undulation) != QueryStatus::StatusOk || !Bounded(undulation)) {
        reason = GgaCopyReason::QueryFailed;
        return GgaRewrite::QueryFailed;
    }
    // The ellipsoidal height, altitude + separation, stays.
    const double height = static_cast<double>(f.altitude) + static_cast<double>(f.separation);
    const auto altitude = static_cast<float>(height - static_cast<double>(undulation));

    CNumericScope numbers;
    AppendFormat(sentence,
                 "$GPGGA,%09.2f,%02d%010.7lf,%c,%03d%010.7lf,%c,%d,%02d,%.2f,%.4lf,%c,%.4lf,%c,",
                 f.utcTime, f.latDegrees, f.latMinutes, f.latHemisphere, f.lonDegrees, f.lonMinutes,
                 f.lonHemisphere, f.fixQuality, f.satellites, static_cast<double>(f.hdop),
                 static_cast<double>(altitude), f.altitudeUnit, static_cast<double>(undulation),
                 f.separationUnit);
    if (f.hasAge) {
        AppendFormat(sentence, "%.1f,", static_cast<double>(f.age));
    } else {
        sentence.push_back(',');
    }
    if (f.hasStation) AppendFormat(sentence, "%04d", f.station);
    AppendFormat(sentence, "*%02X", NmeaChecksum(std::string_view(sentence).substr(1)));
    return GgaRewrite::Rewritten;
}

}  // namespace egm2008
