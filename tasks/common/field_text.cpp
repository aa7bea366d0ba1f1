#include "tasks/common/field_text.hpp"

#include <charconv>
#include <system_error>

#include "tasks/messages.hpp"
#include "tasks/common/number_scan.hpp"

namespace egm2008 {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The white space of the "C" locale.
bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The no-break space (UTF-8), which text copied from a web page often carries.
constexpr std::string_view kNoBreakSpace = "\u00a0";

// `text` without white space and no-break spaces at either end.
std::string_view Trimmed(std::string_view text) {
    for (;;) {
        if (!text.empty() && IsSpace(text.front())) {
            text.remove_prefix(1);
        } else if (!text.empty() && IsSpace(text.back())) {
            text.remove_suffix(1);
        } else if (text.starts_with(kNoBreakSpace)) {
            text.remove_prefix(kNoBreakSpace.size());
        } else if (text.ends_with(kNoBreakSpace)) {
            text.remove_suffix(kNoBreakSpace.size());
        } else {
            return text;
        }
    }
}

// One unsigned part of a number: digits with an optional fraction after the decimal mark.
struct Part {
    double value = 0.0;
    bool fraction = false;  ///< written with a decimal mark
};

// Reads the part at `at` and moves past it; nothing unless at least one digit is there.
std::optional<Part> ReadPart(std::string_view text, std::size_t& at, DecimalMark mark) {
    std::string digits;  // the part with "." as its mark, for from_chars
    bool anyDigit = false;
    bool integerNonZero = false;
    Part part;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        anyDigit = true;
        integerNonZero = integerNonZero || text[at] != '0';
        digits.push_back(text[at]);
    }
    if (at < text.size() && ((text[at] == '.' && mark != DecimalMark::Comma) ||
                             (text[at] == ',' && mark != DecimalMark::Point))) {
        part.fraction = true;
        digits.push_back('.');
        for (++at; at < text.size() && IsDigit(text[at]); ++at) {
            anyDigit = true;
            digits.push_back(text[at]);
        }
    }
    if (!anyDigit) return std::nullopt;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(),
                                              part.value, std::chars_format::fixed);
    (void)end;
    if (error == std::errc::result_out_of_range && !integerNonZero) {
        part.value = 0.0;  // a fraction too small for a double
    } else if (error != std::errc()) {
        return std::nullopt;
    }
    return part;
}

// Spellings of the sign after degrees, minutes and seconds (UTF-8).
constexpr std::string_view kDegreeSigns[] = {"\u00b0", "d"};
constexpr std::string_view kMinuteSigns[] = {"'", "\u2032", "m"};
constexpr std::string_view kSecondSigns[] = {"\"", "''", "\u2033", "s"};

template <std::size_t N>
bool SkipSign(std::string_view text, std::size_t& at, const std::string_view (&signs)[N]) {
    for (std::string_view sign : signs) {
        if (text.substr(at).starts_with(sign)) {
            at += sign.size();
            return true;
        }
    }
    return false;
}

// How the parts of degrees, minutes and seconds are set apart; the first separator decides.
enum class Separation { Unknown, Signs, Blanks, Colons };

// Moves past the separator after part `index` (0 degrees, 1 minutes, 2 seconds).
bool SkipSeparator(std::string_view text, std::size_t& at, int index, Separation& separation) {
    if (separation == Separation::Unknown) {
        separation = IsSpace(text[at]) ? Separation::Blanks
                     : text[at] == ':' ? Separation::Colons
                                       : Separation::Signs;
    }
    switch (separation) {
        case Separation::Signs: {
            const bool sign = index == 0   ? SkipSign(text, at, kDegreeSigns)
                              : index == 1 ? SkipSign(text, at, kMinuteSigns)
                                           : SkipSign(text, at, kSecondSigns);
            while (sign && at < text.size() && IsSpace(text[at])) ++at;
            return sign;
        }
        case Separation::Blanks: {
            const std::size_t from = at;
            while (at < text.size() && IsSpace(text[at])) ++at;
            return at > from;
        }
        case Separation::Colons: return text[at++] == ':';
        case Separation::Unknown: break;
    }
    return false;
}

// Unsigned degrees, alone or with minutes and seconds; `text` is trimmed.
std::optional<double> ReadAngle(std::string_view text, DecimalMark mark) {
    double parts[3] = {0.0, 0.0, 0.0};
    Separation separation = Separation::Unknown;
    std::size_t at = 0;
    for (int index = 0;; ++index) {
        const std::optional<Part> part = ReadPart(text, at, mark);
        if (!part) return std::nullopt;
        parts[index] = part->value;
        if (at == text.size()) break;
        if (!SkipSeparator(text, at, index, separation)) return std::nullopt;
        // Only a sign may end the text ("48°30'"); a colon wants the part after it.
        if (at == text.size()) {
            if (separation == Separation::Signs) break;
            return std::nullopt;
        }
        // Another part follows: only the last may carry a fraction, and seconds are the last.
        if (part->fraction || index == 2) return std::nullopt;
    }
    if (!(parts[1] < 60.0 && parts[2] < 60.0)) return std::nullopt;
    return parts[0] + parts[1] / 60.0 + parts[2] / 3600.0;
}

// Letters that name a hemisphere in a field of `kind`: the positive one, then the negative one.
std::string_view HemisphereLetters(FieldKind kind) {
    return kind == FieldKind::Latitude ? "NnSs" : kind == FieldKind::Longitude ? "EeWw" : "";
}

// True when `text` ends in the "s" of seconds written with letters (48d30m15.5s).
bool EndsInSecondsLetter(std::string_view text) {
    return text.size() >= 2 && text.back() == 's' && text.find('m') != std::string_view::npos &&
           (IsDigit(text[text.size() - 2]) || text[text.size() - 2] == '.' ||
            text[text.size() - 2] == ',');
}

}  // namespace

std::optional<double> ParseFieldNumber(std::string_view text, FieldKind kind, DecimalMark mark) {
    // The usual case of a file's column, read at once: "48.123456", "-7.5".
    if (double plain = 0.0; mark != DecimalMark::Comma && ReadPlainDecimal(text, plain)) {
        return plain;
    }
    text = Trimmed(text);
    // A hemisphere letter before or after the number.
    const std::string_view letters = HemisphereLetters(kind);
    std::optional<bool> southOrWest;
    if (!text.empty() && letters.find(text.front()) != std::string_view::npos) {
        southOrWest = letters.find(text.front()) >= 2;
        text = Trimmed(text.substr(1));
    } else if (!text.empty() && letters.find(text.back()) != std::string_view::npos &&
               !EndsInSecondsLetter(text)) {
        southOrWest = letters.find(text.back()) >= 2;
        text = Trimmed(text.substr(0, text.size() - 1));
    }
    bool negative = southOrWest.value_or(false);
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        if (southOrWest) return std::nullopt;  // "-48 S" says the hemisphere twice
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::optional<double> value;
    if (kind == FieldKind::Spacing) {
        std::size_t at = 0;
        const std::optional<Part> part = ReadPart(text, at, mark);
        if (part && at == text.size()) value = part->value;
    } else {
        value = ReadAngle(text, mark);
    }
    if (!value) return std::nullopt;
    return negative ? -*value : *value;
}

std::string FormatFixed(double value, int decimals) {
    if (decimals < 0) decimals = 0;
    if (decimals > 17) decimals = 17;
    // Room for the 309 integer digits of the largest double, a sign, a point and the decimals.
    char buffer[360];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (error != std::errc()) return {};
    return std::string(buffer, end);
}

std::string FormatFieldNumber(double value) { return FormatFixed(value, 8); }

std::optional<double> FieldRefusals::Read(int id, FieldKind kind, const char* name) {
    const std::string text = platform_.FieldText(id);
    const std::optional<double> value = ParseFieldNumber(text, kind);
    if (!value) Refuse(id, FieldNotANumberMessage(name, text, kind));
    return value;
}

void FieldRefusals::Refuse(int id, const std::string& why) {
    platform_.ShowFieldError(id, why);
    if (count_++ > 0) return;
    first_ = id;
    firstReason_ = why;
}

bool FieldRefusals::Finish() {
    if (count_ == 0) return false;
    platform_.FocusField(first_);
    platform_.ShowStatus(RefusedFieldsStatus(firstReason_, count_));
    return true;
}

void WriteFieldNumber(PagePlatform& platform, int id, double value) {
    platform.SetFieldText(id, FormatFieldNumber(value));
}

CNumericScope::CNumericScope() {
    static const locale_t numbers = ::newlocale(LC_ALL_MASK, "C", locale_t{});
    if (numbers != locale_t{}) previous_ = ::uselocale(numbers);
}

CNumericScope::~CNumericScope() {
    if (previous_ != locale_t{}) ::uselocale(previous_);
}

}  // namespace egm2008
