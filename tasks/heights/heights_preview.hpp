// What is read of a delimited file before it is converted: whether it is text
// at all, its first data lines numbered as a run numbers them, and the
// delimiter and decimal mark those lines make unambiguous. The "Heights" page
// previews a file through these; RunHeights refuses a file that is not text by
// the same rule.
//
// A file is not text when a byte no text holds (HoldsBinary: a GeoTIFF or a
// picture chosen by mistake) lies among its first kTextProbeBytes bytes; a
// run, which reads a line at a time, looks at those up to the end of its first
// data line.
//
// Records are found as a run finds them (RecordScan), each numbered by the
// input line it starts on, so that the lines a run names ("line 17: ...") are
// found again among them.
//
// The decimal mark is the comma when some field of the first lines is a number
// written with a decimal comma ("52,5", the fields split as DetectDelimiter
// splits them for a decimal comma) and no field is a number written with a
// decimal point ("52.5", the fields split as it splits them for a point);
// else the point. The delimiter is DetectDelimiter's for the first line, a
// comma tried last when a field was a number with a decimal comma.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tasks/common/delimited_text.hpp"
#include "tasks/common/field_text.hpp"
#include "tasks/common/line_reader.hpp"

namespace egm2008 {

/// A record of a file, without its line end, and the 1-based line it starts on.
struct NumberedLine {
    std::int64_t number = 0;
    std::string text;
};

/// The first `most` data lines (neither blank nor comment) of `head`, the first
/// bytes of a file (the whole file when `whole`), its byte order mark left out;
/// a record the head cuts off is left out too. Records end as RecordScan with
/// `delimiter` ends them.
std::vector<NumberedLine> FirstDataLines(std::string_view head, bool whole, std::size_t most,
                                         std::optional<Delimiter> delimiter);

/// How a file writes its fields and numbers.
struct TextConventions {
    std::optional<Delimiter> delimiter;     ///< nothing: the first line has a single field
    DecimalMark mark = DecimalMark::Point;  ///< Point or Comma
};

/// The delimiter and decimal mark that the data lines `lines` (the first first) show.
TextConventions DetectConventions(const std::vector<NumberedLine>& lines);

}  // namespace egm2008
