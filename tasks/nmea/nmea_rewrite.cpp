#include "tasks/nmea/nmea_rewrite.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include "tasks/common/fixed_format.hpp"
#include "tasks/common/number_scan.hpp"

namespace egm2008 {

namespace {

// NMEA 0183's longest sentence, from "$" to the LF of its CR LF.
constexpr std::size_t kLongestSentence = 82;
// Fields looked at: the identifier and the fields up to GGA's station; more may follow.
constexpr std::size_t kFieldsRead = 15;
constexpr std::size_t kGgaFields = 15;  // identifier and 14 fields
constexpr std::size_t kGnsFields = 13;  // identifier and 12 fields (a 13th, the status, may follow)
// Heights far beyond any receiver's: a field beyond is taken as garbage.
constexpr double kLargestHeight = 1e7;
// No undulation comes near this (the grids' values lie within +-110 m); nor
// may a receiver's separation.
constexpr double kLargestUndulation = 1000.0;
// Digits before the point of NMEA's "ddmm.mmmm" and "dddmm.mmmm" at the least.
constexpr std::size_t kLatitudeDigits = 4;
constexpr std::size_t kLongitudeDigits = 5;
// The most decimals written (and kept from the sentence).
constexpr int kMostDecimals = 9;

bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAlnum(char c) { return IsUpper(c) || IsDigit(c) || (c >= 'a' && c <= 'z'); }

// Where a sentence's parts lie in its line.
struct SentenceParts {
    std::string_view prefix;   // what comes before the "$" (time stamp, TAG block), as received
    std::string_view body;     // "$" up to the line end, the checksum included
    std::string_view data;     // "$" up to the "*" (or the line end)
    std::string_view lineEnd;  // "\n", "\r\n" or "" as received
    bool hasChecksum = false;
    std::array<std::string_view, kFieldsRead> field{};  // views into `data`
    std::size_t fields = 0;                             // fields found, at most kFieldsRead
    bool gns = false;
    std::size_t altitudeField = 9;
    std::size_t separationField = 11;
};

// "[+-]digits[.digits]" with at least one digit; its value and decimals.
bool ReadHeight(std::string_view text, double& value, int& decimals) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const std::size_t point = text.find('.');
    decimals = point == std::string_view::npos ? 0 : static_cast<int>(text.size() - point - 1);
    if (text.empty() || text == "." || text.front() == '-') return false;
    if (!ReadPlainDecimal(text, value) || !(value < kLargestHeight)) return false;
    if (negative) value = -value;
    return true;
}

// Digits, then "." and digits or nothing, with `digits` or more before the point.
bool HasNmeaAngleForm(std::string_view text, std::size_t digits) {
    const std::size_t point = std::min(text.find('.'), text.size());
    if (point < digits) return false;
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (k != point && !IsDigit(text[k])) return false;
    }
    return true;
}

// "ddmm.mmmm" (or "dddmm.mmmm", `digits` 5) with its hemisphere: degrees, south
// and west negative. "48" is no 0 deg 48': a field of another form is refused.
bool ReadAngle(std::string_view text, std::size_t digits, std::string_view hemisphere,
               char positive, char negative, double largest, double& degrees) {
    if (hemisphere.size() != 1 || (hemisphere[0] != positive && hemisphere[0] != negative))
        return false;
    double value = 0.0;
    if (!HasNmeaAngleForm(text, digits) || !ReadPlainDecimal(text, value)) return false;
    const double whole = std::floor(value / 100.0);
    const double minutes = value - whole * 100.0;
    degrees = whole + minutes / 60.0;
    if (!(minutes < 60.0) || !(degrees <= largest)) return false;
    if (hemisphere[0] == negative) degrees = -degrees;
    return true;
}

// The checksum after "*": two hexadecimal digits, either case, equal to the
// exclusive OR of what lies between "$" and "*".
bool ChecksumAgrees(std::string_view data, std::string_view given) {
    if (given.size() != 2) return false;
    const int high = HexDigit(given[0]);
    const int low = HexDigit(given[1]);
    return high >= 0 && low >= 0 && NmeaChecksum(data.substr(1)) == high * 16 + low;
}

// Splits a GGA or GNS line into its parts; NotPosition for any other line, else
// what its frame allows (Rewritten when its fields may be read).
NmeaOutcome SplitSentence(std::string_view line, SentenceParts& parts) {
    std::string_view body = line;
    if (!body.empty() && body.back() == '\n') body.remove_suffix(1);
    if (!body.empty() && body.back() == '\r') body.remove_suffix(1);
    parts.lineEnd = line.substr(body.size());
    const std::size_t at = FindNmeaSentence(body);
    if (at == std::string_view::npos) return NmeaOutcome::NotPosition;
    parts.prefix = body.substr(0, at);
    body.remove_prefix(at);
    parts.body = body;

    std::string_view talker;
    std::string_view type;
    if (!NmeaIdentifier(body, talker, type) || !IsPositionSentence(talker, type))
        return NmeaOutcome::NotPosition;
    parts.gns = type == "GNS";
    const std::size_t star = body.find('*');
    parts.hasChecksum = star != std::string_view::npos;
    parts.data = body.substr(0, star);
    if (parts.hasChecksum && !ChecksumAgrees(parts.data, body.substr(star + 1)))
        return NmeaOutcome::WrongChecksum;
    // A record glued to the next by a CR (a log with CR-only line ends) is no one sentence.
    if (parts.data.find('\r') != std::string_view::npos) return NmeaOutcome::Unreadable;

    std::size_t start = 0;
    while (parts.fields < kFieldsRead) {
        const std::size_t comma = parts.data.find(',', start);
        parts.field[parts.fields++] = parts.data.substr(start, comma - start);
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    if (parts.gns) {
        parts.separationField = 10;
        if (parts.fields < kGnsFields) return NmeaOutcome::Unreadable;
    } else if (parts.fields < kGgaFields) {
        return NmeaOutcome::Unreadable;
    }
    return NmeaOutcome::Rewritten;
}

// The fix of a split sentence.
NmeaOutcome ReadFields(const SentenceParts& parts, NmeaFix& fix, int& altitudeDecimals,
                       int& separationDecimals) {
    const auto& f = parts.field;
    const std::string_view status = f[6];
    if (parts.gns ? status.find_first_not_of('N') == std::string_view::npos
                  : status.empty() || status == "0") {
        return NmeaOutcome::NoFix;
    }
    for (std::size_t k = 2; k <= 5; ++k) {
        if (f[k].empty()) return NmeaOutcome::EmptyField;
    }
    // A fix without one of the two has no known ellipsoidal height to keep.
    if (f[parts.separationField].empty()) return NmeaOutcome::NoSeparation;
    if (f[parts.altitudeField].empty()) return NmeaOutcome::NoAltitude;
    if (!parts.gns && (f[10] != "M" || f[12] != "M")) return NmeaOutcome::WrongUnit;
    if (!ReadAngle(f[2], kLatitudeDigits, f[3], 'N', 'S', 90.0, fix.latitude) ||
        !ReadAngle(f[4], kLongitudeDigits, f[5], 'E', 'W', 180.0, fix.longitude) ||
        !ReadHeight(f[parts.altitudeField], fix.altitude, altitudeDecimals) ||
        !ReadHeight(f[parts.separationField], fix.separation, separationDecimals) ||
        !(std::fabs(fix.separation) <= kLargestUndulation)) {
        return NmeaOutcome::Unreadable;
    }
    // The rewritten altitude must be read again as a height.
    if (!(std::fabs(fix.altitude) + std::fabs(fix.separation) + kLargestUndulation <
          kLargestHeight)) {
        return NmeaOutcome::Unreadable;
    }
    if (!parts.gns && status.find_first_not_of("0123456789") != std::string_view::npos)
        return NmeaOutcome::Unreadable;
    fix.talker = f[0].substr(1, 2);
    fix.type = f[0].substr(3);
    fix.time = f[1];
    return NmeaOutcome::Rewritten;
}

// A height with `decimals` decimals; a value that rounds to zero is written without a "-".
void AppendHeight(std::string& out, double value, int decimals) {
    const std::size_t start = out.size();
    AppendFixed(out, value, 0, decimals);
    if (out[start] == '-' && out.find_first_not_of("-0.", start) == std::string::npos)
        out.erase(start, 1);
}

// The sentence with new altitude and separation texts, its checksum made again.
void AppendSentence(const SentenceParts& parts, const NmeaRewriteOptions& options, double altitude,
                    int altitudeDecimals, double separation, int separationDecimals,
                    std::string& out) {
    const std::size_t start = out.size();
    const std::string_view data = parts.data;
    const auto offset = [&data](std::string_view field) {
        return static_cast<std::size_t>(field.data() - data.data());
    };
    const std::string_view altitudeText = parts.field[parts.altitudeField];
    const std::string_view separationText = parts.field[parts.separationField];
    out.append(data.substr(0, offset(altitudeText)));
    if (!options.talker.empty()) out.replace(start + 1, 2, options.talker);
    AppendHeight(out, altitude, altitudeDecimals);
    const std::size_t afterAltitude = offset(altitudeText) + altitudeText.size();
    out.append(data.substr(afterAltitude, offset(separationText) - afterAltitude));
    AppendHeight(out, separation, separationDecimals);
    out.append(data.substr(offset(separationText) + separationText.size()));
    if (parts.hasChecksum) {
        static constexpr char kHex[] = "0123456789ABCDEF";
        const std::uint8_t sum = NmeaChecksum(std::string_view(out).substr(start + 1));
        out.push_back('*');
        out.push_back(kHex[sum >> 4]);
        out.push_back(kHex[sum & 15]);
    }
}

}  // namespace

const char* NmeaOutcomeText(NmeaOutcome outcome) {
    switch (outcome) {
        case NmeaOutcome::Rewritten: return "rewritten";
        case NmeaOutcome::NotPosition: return "other sentence";
        case NmeaOutcome::WrongChecksum: return "wrong checksum";
        case NmeaOutcome::NoFix: return "no fix";
        case NmeaOutcome::EmptyField: return "empty field";
        case NmeaOutcome::NoSeparation: return "no separation";
        case NmeaOutcome::NoAltitude: return "no altitude";
        case NmeaOutcome::WrongUnit: return "unit not M";
        case NmeaOutcome::Unreadable: return "unreadable";
        case NmeaOutcome::TooLong: return "beyond 82 characters";
        case NmeaOutcome::QueryFailed: return "N not computed";
    }
    return "unreadable";
}

bool IsNmeaTalker(std::string_view text) {
    return text.size() == 2 && IsUpper(text[0]) && IsUpper(text[1]);
}

bool IsPositionSentence(std::string_view talker, std::string_view type) {
    return talker.size() == 2 && (type == "GGA" || type == "GNS");
}

bool UndulationAtFix(const NmeaFix& fix, const UndulationQuery& query, float& undulation) {
    const double longitude = fix.longitude < 0.0 ? fix.longitude + 360.0 : fix.longitude;
    return query(fix.latitude, longitude, undulation) == QueryStatus::StatusOk &&
           std::fabs(undulation) <= kLargestUndulation;
}

std::size_t FindNmeaSentence(std::string_view line) {
    std::size_t first = std::string_view::npos;
    for (std::size_t at = line.find('$'); at != std::string_view::npos;
         at = line.find('$', at + 1)) {
        std::string_view talker;
        std::string_view type;
        if (!NmeaIdentifier(line.substr(at), talker, type)) continue;
        if (IsPositionSentence(talker, type)) return at;
        first = std::min(first, at);
    }
    return first;
}

bool NmeaIdentifier(std::string_view line, std::string_view& talker, std::string_view& type) {
    if (line.size() < 2 || line[0] != '$') return false;
    std::size_t end = 1;
    while (end < line.size() && IsAlnum(line[end])) ++end;
    if (end == line.size() || line[end] != ',') return false;
    const std::string_view identifier = line.substr(1, end - 1);
    const std::size_t talkerLength = identifier[0] == 'P' ? 1 : 2;
    if (identifier.size() <= talkerLength) return false;
    talker = identifier.substr(0, talkerLength);
    type = identifier.substr(talkerLength);
    return true;
}

NmeaOutcome ReadNmeaFix(std::string_view line, NmeaFix& fix) {
    SentenceParts parts;
    const NmeaOutcome frame = SplitSentence(line, parts);
    if (frame != NmeaOutcome::Rewritten) return frame;
    int altitudeDecimals = 0;
    int separationDecimals = 0;
    return ReadFields(parts, fix, altitudeDecimals, separationDecimals);
}

NmeaOutcome RewriteNmeaLine(std::string_view line, const NmeaRewriteOptions& options,
                            const UndulationQuery& query, std::string& out, NmeaFix* fixOut) {
    SentenceParts parts;
    NmeaFix fix;
    int altitudeDecimals = 0;
    int separationDecimals = 0;
    NmeaOutcome outcome = SplitSentence(line, parts);
    if (outcome == NmeaOutcome::Rewritten)
        outcome = ReadFields(parts, fix, altitudeDecimals, separationDecimals);
    float undulation = 0.0f;
    if (outcome == NmeaOutcome::Rewritten) {
        if (fixOut != nullptr) *fixOut = fix;
        if (!UndulationAtFix(fix, query, undulation)) outcome = NmeaOutcome::QueryFailed;
    }
    if (outcome != NmeaOutcome::Rewritten) {
        out.append(line);
        return outcome;
    }

    const double n = undulation;
    const double altitude =
        options.separationOnly ? fix.altitude : fix.altitude + fix.separation - n;
    altitudeDecimals = std::min(std::max(altitudeDecimals, 1), kMostDecimals);
    separationDecimals = std::min(std::max(separationDecimals, 1), kMostDecimals);
    const std::size_t lineStart = out.size();
    out.append(parts.prefix);
    const std::size_t start = out.size();
    AppendSentence(parts, options, altitude, altitudeDecimals, n, separationDecimals, out);
    // A sentence within NMEA's 82 characters (CR LF counted) stays within them:
    // decimals given up, the most first, down to one each; beyond that it stays
    // as received.
    const bool fitted = parts.body.size() + 2 <= kLongestSentence;
    while (fitted && out.size() - start + 2 > kLongestSentence) {
        if (std::max(altitudeDecimals, separationDecimals) == 1) {
            out.resize(lineStart);
            out.append(line);
            return NmeaOutcome::TooLong;
        }
        if (altitudeDecimals >= separationDecimals) {
            --altitudeDecimals;
        } else {
            --separationDecimals;
        }
        out.resize(start);
        AppendSentence(parts, options, altitude, altitudeDecimals, n, separationDecimals, out);
    }
    out.append(parts.lineEnd);
    return NmeaOutcome::Rewritten;
}

}  // namespace egm2008
