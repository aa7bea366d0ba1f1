// Delimited text files (survey exports, CSV): telling their delimiter, header
// and columns from the first data line, splitting lines into fields, and
// appending new fields to a line while leaving its own text as it was.
//
// The delimiter is a comma, a semicolon, a tab, or runs of blanks (spaces and
// tabs); the first of these, in that order, that occurs outside quotes in the
// first data line is taken, unless the user names one. Fields follow RFC 4180
// quoting: a field that starts with a quote runs to the matching quote and may
// hold the delimiter and doubled quotes; a quote anywhere else is text. A quoted
// field does not reach past its line. With blanks as the delimiter, leading and
// trailing blanks are ignored.
//
// A line handed to these functions may end in LF or CR LF or in nothing; the end
// is never part of a field and AppendFields keeps it as it was. A UTF-8 byte
// order mark before the first line is taken off by the caller (TakeByteOrderMark)
// and written back before the output's first line.
#pragma once

#include <cstddef>
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

/// The end of `line`: "\r\n", "\n" or "" (a last line without one).
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

/// What the user chose for a file; anything left open is told from the first data line.
struct DelimitedOptions {
    std::optional<Delimiter> delimiter;
    ColumnRequest latitude;
    ColumnRequest longitude;
    ColumnRequest height;
    bool longitudeFirst = false;  // without a header or indices: field 1 is the longitude
    std::optional<bool> header;   // the first data line is (true) or is not (false) a header
    bool decimalComma = false;    // "," is the decimal mark: a comma delimiter is the last choice
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
/// the user's index or name, else the field named (case aside) lat, latitude, phi or y; lon, long,
/// lng, longitude, lambda or x; h, height, alt, altitude, elevation, ele, ellipsoidal_height, hae
/// or msl (a column without one of these names has no height). Without a header, the columns are
/// the user's indices, else fields 1 and 2 (swapped by longitudeFirst), and the height is the field
/// after both when there is one.
LayoutResult ReadLayout(std::string_view line, const DelimitedOptions& options);

/// The columns as one line: `latitude = column 2 "Lat", longitude = column 3
/// "Lon", height = column 4 "h"`; no names without a header, no height part without a height.
std::string DescribeColumns(const DelimitedLayout& layout);

}  // namespace egm2008
