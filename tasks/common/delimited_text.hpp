// Delimited text files (survey exports, CSV): telling their delimiter, header
// and columns from the first data line, splitting records into fields, and
// appending new fields to a record while leaving its own text as it was.
//
// The delimiter is a comma, a semicolon, a tab, or runs of blanks (spaces and
// tabs); the first of these, in that order, that occurs outside quotes in the
// first data line is taken, unless the user names one. Fields follow RFC 4180
// quoting: a field that starts with a quote runs to the matching quote and may
// hold the delimiter, doubled quotes and line ends; a quote anywhere else is
// text. With blanks as the delimiter, leading and trailing blanks are ignored.
//
// Lines end in LF, CR LF or a lone CR (as spreadsheets on the Mac write CSV),
// all alike. A record is a line, or several when a quoted field holds line
// ends (RecordScan); a comment line never reaches past its line end. A record
// handed to these functions may end in any of the three or in nothing; the end
// is never part of a field and AppendFields keeps it as it was. A UTF-8 byte
// order mark before the first line is taken off by the caller
// (TakeByteOrderMark) and written back before the output's first line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace egm2008 {

enum class Delimiter { Comma, Semicolon, Tab, Blanks };

/// What a line is to a delimited file: blank and comment lines are copied, data lines computed.
enum class LineKind { Blank, Comment, Data };

/// The UTF-8 byte order mark.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

/// Takes a byte order mark off the front of `line`; true when there was one.
bool TakeByteOrderMark(std::string_view& line);

/// The end of `line`: "\r\n", "\n", "\r" or "" (a last line without one).
std::string_view LineEnd(std::string_view line);

/// Blank (nothing but spaces and tabs), Comment (starting with "#" or "//",
/// after spaces and tabs) or Data.
LineKind ClassifyLine(std::string_view line);

/// The delimiter of a data line, or nothing when none of the four occurs between its fields.
/// In a file whose decimal mark is the comma, a comma is the last choice.
std::optional<Delimiter> DetectDelimiter(std::string_view line, bool decimalComma = false);

/// Where a field lies in its line: its text as written, quotes included, is [begin, end).
struct FieldSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
};

/// The fields of `line` as spans into it, in `spans` (cleared first; reused to spare allocations).
void FindFields(std::string_view line, Delimiter delimiter, std::vector<FieldSpan>& spans);

/// True when the field at `span` of `line` starts with a quote.
bool FieldQuoted(std::string_view line, FieldSpan span);

/// Finds where the records of a delimited file end, read a piece at a time:
/// at a CR, an LF or a CR LF outside a quoted field. Before the delimiter is
/// known, a quote opens a quoted field at the start of a line or after a comma,
/// semicolon or tab. A record starting (after blanks) with "#" or "//" is a
/// comment, which ends at its first line end whatever its quotes.
class RecordScan {
public:
    explicit RecordScan(std::optional<Delimiter> delimiter = std::nullopt)
        : delimiter_(delimiter) {}
    /// Starts a new record.
    void Start();
    /// The record's next bytes: how many of `text` belong to it, up to and
    /// including its line end, or npos when it goes on after `text` (a CR at
    /// the end of `text` waits for the next byte, which may be its LF).
    std::size_t Scan(std::string_view text);
    /// Line ends the record has held so far (CR LF counts once).
    std::int64_t lineEnds() const { return lineEnds_; }

private:
    bool Separates(char c) const;

    std::optional<Delimiter> delimiter_;
    enum class Lead { Blanks, Slash, Comment, Data };
    Lead lead_ = Lead::Blanks;
    bool quoted_ = false;      // inside a quoted field
    bool quoteSeen_ = false;   // a quote inside a quoted field: it closes it unless one follows
    bool fieldStart_ = true;   // the next character starts a field
    bool afterCr_ = false;     // the last character was a CR
    bool endedAtCr_ = false;   // a CR outside quotes ended the record; an LF may still follow
    std::int64_t lineEnds_ = 0;
};

/// Calls `each(record, lineEnds)` with every record of `text` (whole records one
/// after another, the last one perhaps without its line end), as RecordScan
/// with `delimiter` finds them.
template <typename Each>
void ForEachRecord(std::string_view text, std::optional<Delimiter> delimiter, Each each) {
    RecordScan scan(delimiter);
    while (!text.empty()) {
        scan.Start();
        std::size_t length = scan.Scan(text);
        if (length == std::string_view::npos) length = text.size();
        each(text.substr(0, length), scan.lineEnds());
        text.remove_prefix(length);
    }
}

/// The unquoted text of the field at `span` of `line`: a view of the line, or of
/// `scratch` when quotes had to be taken off.
std::string_view FieldText(std::string_view line, FieldSpan span, std::string& scratch);

/// The fields of `line`, each as its unquoted text.
std::vector<std::string> SplitFields(std::string_view line, Delimiter delimiter);

/// The character that separates fields (a space for blanks).
char DelimiterCharacter(Delimiter delimiter);

/// Appends `field` to `out`, quoted only when it holds the delimiter or a quote.
void AppendField(std::string& out, Delimiter delimiter, std::string_view field);

/// `line` with the field at `span` replaced by `text` (quoted only when it must
/// be), everything else as it was.
std::string ReplaceField(std::string_view line, Delimiter delimiter, FieldSpan span,
                         std::string_view text);

/// `line` with `fields` after its own text, each after the delimiter (one space
/// for blanks), and then its own line end. A new field is quoted only when it
/// holds the delimiter or a quote.
std::string AppendFields(std::string_view line, Delimiter delimiter,
                         std::span<const std::string> fields);

/// The user's choice of one column: a 1-based index, a header name, or neither (0 and "").
struct ColumnRequest {
    std::size_t index = 0;
    std::string name;
};

/// The height a conversion reads: ellipsoidal h (to orthometric), orthometric H (to
/// ellipsoidal), or either (no conversion).
enum class HeightKind { Either, Ellipsoidal, Orthometric };

/// What the user chose for a file; anything left open is told from the first data line.
struct DelimitedOptions {
    std::optional<Delimiter> delimiter;
    ColumnRequest latitude;
    ColumnRequest longitude;
    ColumnRequest height;
    bool longitudeFirst = false;  // without a header or indices: field 1 is the longitude
    std::optional<bool> header;   // the first data line is (true) or is not (false) a header
    bool decimalComma = false;    // "," is the decimal mark: a comma delimiter is the last choice
    /// The height a conversion reads, whose names a header's columns are preferred by.
    HeightKind heightKind = HeightKind::Either;
};

/// A column of the file: its 0-based index and, when the file has a header, its name there.
struct Column {
    std::size_t index = 0;
    std::string name;
};

/// How a file's lines are read. A header line is the first data line, copied and not computed.
struct DelimitedLayout {
    Delimiter delimiter = Delimiter::Comma;
    bool header = false;
    Column latitude;
    Column longitude;
    std::optional<Column> height;
    std::size_t fields = 0;  ///< the header's fields, else the first data line's; no line has more
};

/// The layout, or why there is none (`error`, one line for the user).
struct LayoutResult {
    std::optional<DelimitedLayout> layout;
    std::string error;
};

/// The layout of a file whose first data line (neither blank nor a comment) is `line`.
///
/// Unless the user says whether it is one, the line is a header when neither its latitude nor its
/// longitude field reads as a coordinate; those fields are the ones the user's indices or names
/// give, else the ones the known names below find, else fields 1 and 2. With a header, a column is
/// the user's index or name (spelt exactly so, else in any case), else the field named (case
/// aside) lat, latitude; lon, long, lng, longitude; or, when there is none of these, phi, y;
/// lambda, x. The height is the field named h, height, alt, altitude, elevation, ele, hae, msl,
/// or starting with "ellipsoidal" or "orthometric"; when several are, a conversion from
/// ellipsoidal heights takes the one named exactly "h", "hae" or "ellipsoidal...", one from
/// orthometric heights the one named exactly "H", "msl" or "orthometric...". Two fields that fit a
/// value equally well are refused (for the height: only when a conversion reads it; else there is
/// no height). Without a header, the columns are the user's indices, else fields 1 and 2 (swapped
/// by longitudeFirst), and the height is the field after both when there is one.
///
/// With a comma as both delimiter and decimal mark, a first line of numbers whose latitude,
/// longitude or height is not quoted is refused: a decimal comma may have split it.
LayoutResult ReadLayout(std::string_view line, const DelimitedOptions& options);

/// False when the comma is both the delimiter and the decimal mark (`decimalComma`) and a
/// number field of `line` (latitude, longitude, height) is neither empty nor quoted.
bool NumbersUnsplit(std::string_view line, const std::vector<FieldSpan>& spans,
                    const DelimitedLayout& layout, bool decimalComma);

/// The columns as one line: `latitude = column 2 "Lat", longitude = column 3
/// "Lon", height = column 4 "h"`; no names without a header, no height part without a height.
std::string DescribeColumns(const DelimitedLayout& layout);

}  // namespace egm2008
