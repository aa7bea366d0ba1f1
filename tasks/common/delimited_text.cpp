#include "tasks/common/delimited_text.hpp"

#include <algorithm>
#include <cstring>

#include "tasks/common/field_text.hpp"
#include "tasks/messages.hpp"

namespace egm2008 {

namespace {

// The names a header gives a column, in order: the strong ones, then (kWeak) the fallbacks.
constexpr std::string_view kLatitudeNames[] = {"lat", "latitude", "phi", "y"};
constexpr std::string_view kLongitudeNames[] = {"lon", "long", "lng", "longitude", "lambda", "x"};
constexpr std::size_t kLatitudeStrong = 2;
constexpr std::size_t kLongitudeStrong = 4;
constexpr std::string_view kHeightNames[] = {"h",         "height", "alt", "altitude",
                                             "elevation", "ele",    "hae", "msl"};
// Height columns named after their kind: "ellipsoidal_height", "Orthometric H".
constexpr std::string_view kEllipsoidalPrefix = "ellipsoidal";
constexpr std::string_view kOrthometricPrefix = "orthometric";

// No field: a fallback that a column does not have.
constexpr std::size_t kNoField = static_cast<std::size_t>(-1);

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view WithoutLineEnd(std::string_view line) {
    return line.substr(0, line.size() - LineEnd(line).size());
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

char DelimiterChar(Delimiter delimiter) {
    switch (delimiter) {
        case Delimiter::Comma: return ',';
        case Delimiter::Semicolon: return ';';
        case Delimiter::Tab: return '\t';
        case Delimiter::Blanks: return ' ';
    }
    return ',';
}

bool IsSeparator(char c, Delimiter delimiter) {
    return delimiter == Delimiter::Blanks ? IsBlank(c) : c == DelimiterChar(delimiter);
}

// Moves `pos` from the start of a field past its text, to the separator after it or the end.
void SkipField(std::string_view body, std::size_t& pos, Delimiter delimiter) {
    if (pos < body.size() && body[pos] == '"') {
        ++pos;
        while (pos < body.size()) {
            if (body[pos] != '"') {
                ++pos;
            } else if (pos + 1 < body.size() && body[pos + 1] == '"') {
                pos += 2;
            } else {
                ++pos;
                break;
            }
        }
    }
    // Plain text, or what a malformed quoted field has after its closing quote.
    while (pos < body.size() && !IsSeparator(body[pos], delimiter)) ++pos;
}

bool NeedsQuotes(std::string_view field, Delimiter delimiter) {
    return std::any_of(field.begin(), field.end(),
                       [delimiter](char c) { return c == '"' || IsSeparator(c, delimiter); });
}

std::string QuotedField(std::string_view field) {
    std::string quoted = "\"";
    for (const char c : field) {
        quoted += c;
        if (c == '"') quoted += '"';
    }
    return quoted + "\"";
}

bool SameName(std::string_view field, std::string_view name) {
    field = TrimBlanks(field);
    return std::equal(field.begin(), field.end(), name.begin(), name.end(), [](char a, char b) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(a) == lower(b);
    });
}

bool StartsWithName(std::string_view field, std::string_view prefix) {
    field = TrimBlanks(field);
    return field.size() >= prefix.size() && SameName(field.substr(0, prefix.size()), prefix);
}

using Fields = std::vector<std::string>;
using Indices = std::vector<std::size_t>;

// The fields named `name`: those spelt exactly so, else those spelt so in any case.
Indices Named(const Fields& fields, std::string_view name) {
    Indices exact;
    Indices anyCase;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (TrimBlanks(fields[i]) == name) exact.push_back(i);
        if (SameName(fields[i], name)) anyCase.push_back(i);
    }
    return exact.empty() ? anyCase : exact;
}

// The fields named (case aside) one of `names`.
Indices NamedAny(const Fields& fields, std::span<const std::string_view> names) {
    Indices found;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (std::any_of(names.begin(), names.end(),
                        [&](std::string_view name) { return SameName(fields[i], name); }))
            found.push_back(i);
    }
    return found;
}

// The height columns of a header, and among them those named for `kind`.
Indices HeightFields(const Fields& fields) {
    Indices found;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (std::any_of(std::begin(kHeightNames), std::end(kHeightNames),
                        [&](std::string_view name) { return SameName(fields[i], name); }) ||
            StartsWithName(fields[i], kEllipsoidalPrefix) ||
            StartsWithName(fields[i], kOrthometricPrefix))
            found.push_back(i);
    }
    return found;
}

bool NamedFor(std::string_view field, HeightKind kind) {
    const std::string_view trimmed = TrimBlanks(field);
    if (kind == HeightKind::Ellipsoidal)
        return trimmed == "h" || SameName(trimmed, "hae") ||
               StartsWithName(trimmed, kEllipsoidalPrefix);
    if (kind == HeightKind::Orthometric)
        return trimmed == "H" || SameName(trimmed, "msl") ||
               StartsWithName(trimmed, kOrthometricPrefix);
    return false;
}

std::string QuotedNames(const Fields& fields, const Indices& indices) {
    std::string joined;
    for (const std::size_t i : indices) {
        if (!joined.empty()) joined += ", ";
        joined += "\"" + std::string(TrimBlanks(fields[i])) + "\"";
    }
    return joined;
}

std::optional<std::size_t> FindName(const Fields& fields, std::string_view name) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (SameName(fields[i], name)) return i;
    }
    return std::nullopt;
}

// The field with the first of `names` that the line holds; the lists put the likeliest first.
std::optional<std::size_t> FindKnownName(const Fields& fields,
                                         std::span<const std::string_view> names) {
    for (const std::string_view name : names) {
        if (const auto index = FindName(fields, name)) return index;
    }
    return std::nullopt;
}

std::string JoinedNames(std::span<const std::string_view> names) {
    std::string joined;
    for (const std::string_view name : names) {
        if (!joined.empty()) joined += ", ";
        joined += name;
    }
    return joined;
}

// One value a column is chosen for: its word in messages, the names a header gives it (the first
// `strong` of them before the others), the user's choice, and whether a file must have it.
struct Role {
    const char* word;
    std::span<const std::string_view> knownNames;
    std::size_t strong;
    const ColumnRequest& request;
    bool required;
};

// The field that holds the role's value if the line is a header, for telling whether it is one.
std::size_t HeaderCandidate(const Fields& fields, const Role& role, std::size_t fallback) {
    if (role.request.index > 0) return role.request.index - 1;
    const std::optional<std::size_t> named = role.request.name.empty()
                                                 ? FindKnownName(fields, role.knownNames)
                                                 : FindName(fields, role.request.name);
    return named ? *named : fallback;
}

bool ReadsAsCoordinate(const Fields& fields, std::size_t index, FieldKind kind) {
    return index < fields.size() && ParseFieldNumber(fields[index], kind).has_value();
}

// Chooses columns for a layout; the first refusal stays in `error`.
class ColumnChooser {
public:
    ColumnChooser(const Fields& fields, bool header) : fields_(fields), header_(header) {}

    // The role's column: the user's index or name, else the known names (with a header) or
    // `fallback` (without one; kNoField: none).
    std::optional<Column> Choose(const Role& role, std::size_t fallback) {
        if (role.request.index > 0) return At(role, role.request.index - 1);
        if (!role.request.name.empty()) {
            if (!header_)
                return Refuse(ColumnNameWithoutHeaderMessage(role.word, role.request.name));
            return Only(role, Named(fields_, role.request.name), true);
        }
        if (header_) {
            Indices found = NamedAny(fields_, role.knownNames.first(role.strong));
            if (found.empty()) found = NamedAny(fields_, role.knownNames.subspan(role.strong));
            if (!found.empty() || !role.required) return Only(role, found, true);
            return Refuse(NoKnownColumnMessage(role.word, JoinedNames(role.knownNames)));
        }
        if (fallback == kNoField) return std::nullopt;
        return At(role, fallback);
    }

    // The height column of a header: the one named for the kind a conversion reads, else the
    // only one; several refused when a conversion reads them, else none taken.
    std::optional<Column> ChooseHeight(const Role& role, HeightKind kind) {
        const Indices found = HeightFields(fields_);
        Indices preferred;
        for (const std::size_t i : found) {
            if (NamedFor(fields_[i], kind)) preferred.push_back(i);
        }
        return Only(role, preferred.empty() ? found : preferred, kind != HeightKind::Either);
    }

    void RefuseTwice(std::size_t index) {
        if (error_.empty()) error_ = ColumnChosenTwiceMessage(index + 1);
    }
    const std::string& error() const { return error_; }

private:
    std::optional<Column> At(const Role& role, std::size_t index) {
        if (index >= fields_.size()) {
            return Refuse(ColumnBeyondLineMessage(role.word, index + 1, fields_.size()));
        }
        return Column{index, header_ ? std::string(TrimBlanks(fields_[index])) : std::string()};
    }
    // The one field of `found`; none, or several (refused when `refuseSeveral`), give none.
    std::optional<Column> Only(const Role& role, const Indices& found, bool refuseSeveral) {
        if (found.size() == 1) return At(role, found.front());
        if (found.empty()) {
            if (!role.request.name.empty())
                return Refuse(ColumnNameMissingMessage(role.word, role.request.name));
            return std::nullopt;
        }
        if (!refuseSeveral) return std::nullopt;
        return Refuse(SeveralColumnsMessage(role.word, QuotedNames(fields_, found)));
    }
    std::optional<Column> Refuse(std::string message) {
        if (error_.empty()) error_ = std::move(message);
        return std::nullopt;
    }

    const Fields& fields_;
    bool header_;
    std::string error_;
};

}  // namespace

bool TakeByteOrderMark(std::string_view& line) {
    if (!line.starts_with(kUtf8Bom)) return false;
    line.remove_prefix(kUtf8Bom.size());
    return true;
}

std::string_view LineEnd(std::string_view line) {
    if (line.ends_with("\r\n")) return line.substr(line.size() - 2);
    if (line.ends_with('\n') || line.ends_with('\r')) return line.substr(line.size() - 1);
    return line.substr(line.size());
}

LineKind ClassifyLine(std::string_view line) {
    const std::string_view text = TrimBlanks(WithoutLineEnd(line));
    if (text.empty()) return LineKind::Blank;
    if (text.starts_with('#') || text.starts_with("//")) return LineKind::Comment;
    return LineKind::Data;
}

std::optional<Delimiter> DetectDelimiter(std::string_view line, bool decimalComma) {
    const std::string_view text = TrimBlanks(WithoutLineEnd(line));
    bool quoted = false;
    bool seen[4] = {};
    for (const char c : text) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == ',') seen[0] = true;
        if (c == ';') seen[1] = true;
        if (c == '\t') seen[2] = true;
        if (c == ' ') seen[3] = true;
    }
    // With a decimal comma, a comma outside quotes is a delimiter only when nothing else is.
    constexpr int kOrder[] = {0, 1, 2, 3};
    constexpr int kDecimalCommaOrder[] = {1, 2, 3, 0};
    constexpr Delimiter kDelimiters[] = {Delimiter::Comma, Delimiter::Semicolon, Delimiter::Tab,
                                         Delimiter::Blanks};
    for (const int i : decimalComma ? kDecimalCommaOrder : kOrder) {
        if (seen[i]) return kDelimiters[i];
    }
    return std::nullopt;
}

void FindFields(std::string_view line, Delimiter delimiter, std::vector<FieldSpan>& spans) {
    spans.clear();
    const std::string_view body = WithoutLineEnd(line);
    std::size_t pos = 0;
    std::size_t end = body.size();
    if (delimiter == Delimiter::Blanks) {
        while (pos < end && IsBlank(body[pos])) ++pos;
        while (end > pos && IsBlank(body[end - 1])) --end;
    }
    const std::string_view text = body.substr(0, end);
    for (;;) {
        const std::size_t begin = pos;
        SkipField(text, pos, delimiter);
        spans.push_back({begin, pos});
        if (pos >= text.size()) return;
        ++pos;  // the separator
        if (delimiter == Delimiter::Blanks) {
            while (pos < text.size() && IsBlank(text[pos])) ++pos;
        }
    }
}

bool FieldQuoted(std::string_view line, FieldSpan span) {
    return span.end > span.begin && line[span.begin] == '"';
}

void RecordScan::Start() {
    lead_ = Lead::Blanks;
    quoted_ = quoteSeen_ = afterCr_ = endedAtCr_ = false;
    fieldStart_ = true;
    lineEnds_ = 0;
}

bool RecordScan::Separates(char c) const {
    if (!delimiter_) return c == ',' || c == ';' || c == '\t';
    return IsSeparator(c, *delimiter_);
}

std::size_t RecordScan::Scan(std::string_view text) {
    bool plainTried = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (endedAtCr_) return c == '\n' ? i + 1 : i;
        if (!plainTried && lead_ == Lead::Data && !quoted_ && !afterCr_) {
            // The common record: no quote and no CR before its LF ends it, whatever
            // lies between; found with memchr instead of a look at every byte.
            plainTried = true;
            const std::size_t lf = text.find('\n', i);
            if (lf != std::string_view::npos) {
                const std::string_view rest = text.substr(i, lf - i);
                if (std::memchr(rest.data(), '"', rest.size()) == nullptr &&
                    std::memchr(rest.data(), '\r', rest.size()) == nullptr) {
                    ++lineEnds_;
                    return lf + 1;
                }
            }
        }
        if (c == '\n' || c == '\r') {
            if (!(c == '\n' && afterCr_)) ++lineEnds_;
            afterCr_ = c == '\r';
            if (quoteSeen_) quoted_ = quoteSeen_ = false;
            if (quoted_) continue;
            if (c == '\n') return i + 1;
            endedAtCr_ = true;
            continue;
        }
        afterCr_ = false;
        if (quoted_) {
            if (c != '"') {
                // A quote seen before closed the field: this character follows it.
                if (!quoteSeen_) continue;
                quoted_ = quoteSeen_ = false;
            } else {
                quoteSeen_ = !quoteSeen_;  // a doubled quote stays inside the field
                continue;
            }
        }
        if (lead_ == Lead::Comment) continue;
        if (lead_ == Lead::Blanks && IsBlank(c)) {
            if (delimiter_ && *delimiter_ != Delimiter::Blanks) fieldStart_ = false;
            continue;
        }
        if (lead_ == Lead::Blanks || lead_ == Lead::Slash) {
            const bool slash = lead_ == Lead::Blanks && c == '/';
            lead_ = c == '#' || (lead_ == Lead::Slash && c == '/') ? Lead::Comment
                    : slash                                        ? Lead::Slash
                                                                   : Lead::Data;
            if (lead_ == Lead::Comment) continue;
        }
        if (c == '"' && fieldStart_) {
            quoted_ = true;
            fieldStart_ = false;
            continue;
        }
        fieldStart_ = Separates(c) || (fieldStart_ && IsBlank(c) &&
                                       (!delimiter_ || *delimiter_ == Delimiter::Blanks));
    }
    return std::string_view::npos;
}

std::string_view FieldText(std::string_view line, FieldSpan span, std::string& scratch) {
    const std::string_view raw = line.substr(span.begin, span.end - span.begin);
    if (raw.empty() || raw.front() != '"') return raw;
    scratch.clear();
    std::size_t pos = 1;
    while (pos < raw.size()) {
        if (raw[pos] != '"') {
            scratch += raw[pos++];
        } else if (pos + 1 < raw.size() && raw[pos + 1] == '"') {
            scratch += '"';
            pos += 2;
        } else {
            ++pos;
            break;
        }
    }
    scratch.append(raw.substr(pos));
    return scratch;
}

std::vector<std::string> SplitFields(std::string_view line, Delimiter delimiter) {
    std::vector<FieldSpan> spans;
    FindFields(line, delimiter, spans);
    std::vector<std::string> fields;
    std::string scratch;
    for (const FieldSpan span : spans) fields.emplace_back(FieldText(line, span, scratch));
    return fields;
}

std::string ReplaceField(std::string_view line, Delimiter delimiter, FieldSpan span,
                         std::string_view text) {
    std::string out(line.substr(0, span.begin));
    AppendField(out, delimiter, text);
    out += line.substr(span.end);
    return out;
}

void AppendField(std::string& out, Delimiter delimiter, std::string_view field) {
    if (NeedsQuotes(field, delimiter)) {
        out += QuotedField(field);
    } else {
        out += field;
    }
}

char DelimiterCharacter(Delimiter delimiter) { return DelimiterChar(delimiter); }

std::string AppendFields(std::string_view line, Delimiter delimiter,
                         std::span<const std::string> fields) {
    std::string out(WithoutLineEnd(line));
    for (const std::string& field : fields) {
        out += DelimiterChar(delimiter);
        AppendField(out, delimiter, field);
    }
    out += LineEnd(line);
    return out;
}

LayoutResult ReadLayout(std::string_view line, const DelimitedOptions& options) {
    const std::optional<Delimiter> delimiter =
        options.delimiter ? options.delimiter : DetectDelimiter(line, options.decimalComma);
    if (!delimiter) return {std::nullopt, kNoDelimiterMessage};
    const Fields fields = SplitFields(line, *delimiter);

    const Role latitude{"latitude", kLatitudeNames, kLatitudeStrong, options.latitude, true};
    const Role longitude{"longitude", kLongitudeNames, kLongitudeStrong, options.longitude, true};
    const Role height{"height", kHeightNames, std::size(kHeightNames), options.height, false};
    const std::size_t latitudeField = options.longitudeFirst ? 1 : 0;
    const std::size_t longitudeField = 1 - latitudeField;

    DelimitedLayout layout;
    layout.delimiter = *delimiter;
    layout.fields = fields.size();
    layout.header =
        options.header
            ? *options.header
            : !ReadsAsCoordinate(fields, HeaderCandidate(fields, latitude, latitudeField),
                                 FieldKind::Latitude) &&
                  !ReadsAsCoordinate(fields, HeaderCandidate(fields, longitude, longitudeField),
                                     FieldKind::Longitude);

    ColumnChooser chooser(fields, layout.header);
    const std::optional<Column> latitudeColumn = chooser.Choose(latitude, latitudeField);
    const std::optional<Column> longitudeColumn = chooser.Choose(longitude, longitudeField);
    if (!latitudeColumn || !longitudeColumn) return {std::nullopt, chooser.error()};
    // Without a header, the height is the field after both coordinates when the line has one.
    const std::size_t after = std::max(latitudeColumn->index, longitudeColumn->index) + 1;
    const bool byName = layout.header && options.height.index == 0 && options.height.name.empty();
    layout.height = byName ? chooser.ChooseHeight(height, options.heightKind)
                           : chooser.Choose(height, after < fields.size() ? after : kNoField);
    if (!chooser.error().empty()) return {std::nullopt, chooser.error()};

    layout.latitude = *latitudeColumn;
    layout.longitude = *longitudeColumn;
    if (layout.latitude.index == layout.longitude.index) chooser.RefuseTwice(layout.latitude.index);
    for (const Column& other : {layout.latitude, layout.longitude}) {
        if (layout.height && layout.height->index == other.index) chooser.RefuseTwice(other.index);
    }
    if (!chooser.error().empty()) return {std::nullopt, chooser.error()};
    if (!layout.header) {
        std::vector<FieldSpan> spans;
        FindFields(line, layout.delimiter, spans);
        if (!NumbersUnsplit(line, spans, layout, options.decimalComma))
            return {std::nullopt, kUnquotedDecimalCommaMessage};
    }
    return {layout, {}};
}

bool NumbersUnsplit(std::string_view line, const std::vector<FieldSpan>& spans,
                    const DelimitedLayout& layout, bool decimalComma) {
    if (!decimalComma || layout.delimiter != Delimiter::Comma) return true;
    const auto unsplit = [&](const Column& column) {
        if (column.index >= spans.size()) return true;
        const FieldSpan span = spans[column.index];
        return span.begin == span.end || FieldQuoted(line, span);
    };
    return unsplit(layout.latitude) && unsplit(layout.longitude) &&
           (!layout.height || unsplit(*layout.height));
}

std::string DescribeColumns(const DelimitedLayout& layout) {
    const auto part = [&layout](const char* word, const Column& column) {
        std::string text = std::string(word) + " = column " + std::to_string(column.index + 1);
        if (layout.header) text += " \"" + column.name + "\"";
        return text;
    };
    std::string text =
        part("latitude", layout.latitude) + ", " + part("longitude", layout.longitude);
    if (layout.height) text += ", " + part("height", *layout.height);
    return text;
}

}  // namespace egm2008
