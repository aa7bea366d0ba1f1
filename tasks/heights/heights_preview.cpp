#include "tasks/heights/heights_preview.hpp"

#include <algorithm>

#include "tasks/common/line_reader.hpp"

namespace egm2008 {

namespace {

// True for a field that is a number written with `mark` as its decimal mark ("52,5").
bool DecimalNumber(std::string_view field, DecimalMark mark) {
    const char sign = mark == DecimalMark::Comma ? ',' : '.';
    return field.find(sign) != std::string_view::npos &&
           ParseFieldNumber(field, FieldKind::Longitude, mark).has_value();
}

// How many fields of `lines` are numbers written with `mark`, each line split
// as DetectDelimiter splits it for that mark.
int DecimalNumbers(const std::vector<NumberedLine>& lines, DecimalMark mark) {
    int count = 0;
    for (const NumberedLine& line : lines) {
        const std::optional<Delimiter> delimiter =
            DetectDelimiter(line.text, mark == DecimalMark::Comma);
        const std::vector<std::string> fields =
            delimiter ? SplitFields(line.text, *delimiter) : std::vector<std::string>{line.text};
        count += static_cast<int>(
            std::count_if(fields.begin(), fields.end(),
                          [mark](const std::string& field) { return DecimalNumber(field, mark); }));
    }
    return count;
}

}  // namespace

std::vector<NumberedLine> FirstDataLines(std::string_view head, bool whole, std::size_t most,
                                         std::optional<Delimiter> delimiter) {
    TakeByteOrderMark(head);
    std::vector<NumberedLine> lines;
    RecordScan scan(delimiter);
    std::int64_t number = 1;
    while (!head.empty() && lines.size() < most) {
        scan.Start();
        std::size_t length = scan.Scan(head);
        if (length == std::string_view::npos) {
            if (!whole) break;  // the head ends inside this record
            length = head.size();
        }
        const std::string_view record = head.substr(0, length);
        if (ClassifyLine(record) == LineKind::Data) {
            lines.push_back(
                {number, std::string(record.substr(0, length - LineEnd(record).size()))});
        }
        number += std::max<std::int64_t>(scan.lineEnds(), 1);
        head.remove_prefix(length);
    }
    return lines;
}

TextConventions DetectConventions(const std::vector<NumberedLine>& lines) {
    TextConventions conventions;
    if (lines.empty()) return conventions;
    const bool commaNumbers = DecimalNumbers(lines, DecimalMark::Comma) > 0;
    const bool comma = commaNumbers && DecimalNumbers(lines, DecimalMark::Point) == 0;
    conventions.mark = comma ? DecimalMark::Comma : DecimalMark::Point;
    // Numbers with a decimal comma make a comma delimiter unlikely, whichever mark wins.
    conventions.delimiter = DetectDelimiter(lines.front().text, commaNumbers);
    return conventions;
}

}  // namespace egm2008
