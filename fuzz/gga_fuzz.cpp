// Fuzz target: RewriteGgaSentence on one line of arbitrary bytes.
//
// Input: byte 0 picks what the query answers (a status and an undulation);
// the rest is the line, cut after its first LF as a line read delivers it.
// Checked for every line:
//   - a rewritten sentence is "$GPGGA,...*HH" with the checksum of its body,
//     printable ASCII without line end, and of bounded length;
//   - it was rewritten after exactly one query at a finite position, and the
//     line does not carry a checksum that is present and wrong, nor several
//     records joined by CR;
//   - a line that is copied cost no query; a parse that fails means a copy;
//   - a line ending in CR LF gives what the same line ending in LF gives;
//   - the rewritten sentence parses again to the same position.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/recorded_query.hpp"
#include "tasks/nmea/nmea_gga.hpp"

using namespace egm2008;
using namespace egm2008::engine;
using fuzz::Answer;
using fuzz::Query;

namespace {

int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// True when a "*" after the first "$" is followed by two hexadecimal digits
// that differ from the checksum of what lies between.
bool CarriesWrongChecksum(std::string_view line) {
    const std::size_t dollar = line.find('$');
    if (dollar == std::string_view::npos) return false;
    const std::size_t star = line.find('*', dollar + 1);
    if (star == std::string_view::npos || star + 2 >= line.size()) return false;
    const int high = Hex(line[star + 1]);
    const int low = Hex(line[star + 2]);
    if (high < 0 || low < 0) return false;
    return NmeaChecksum(line.substr(dollar + 1, star - dollar - 1)) != high * 16 + low;
}

// True when a CR is followed by more than blanks and the line end: a log with
// CR-only line ends, several records in one line.
bool HoldsSeveralRecords(std::string_view line) {
    const std::size_t cr = line.find('\r');
    return cr != std::string_view::npos &&
           line.find_first_not_of("\r\n \t", cr) != std::string_view::npos;
}

void CheckSentence(const std::string& sentence) {
    if (sentence.rfind("$GPGGA,", 0) != 0) std::abort();
    if (sentence.size() > 200) std::abort();
    for (const char c : sentence) {
        if (c < ' ' || c > '~') std::abort();  // printable ASCII only, one line
    }
    const std::size_t star = sentence.find('*');
    if (star == std::string::npos || star + 3 != sentence.size()) std::abort();
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X",
                  NmeaChecksum(std::string_view(sentence).substr(1, star - 1)));
    if (sentence.compare(star + 1, 2, hex) != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    static const float undulations[] = {47.25f, 56.0f, -107.0f, 0.0f,
                                        -0.0f,  85.5f, 999.9f,  -999.9f};
    Answer answer;
    answer.status = (data[0] & 0x30) == 0x30 ? QueryStatus::StatusOutside : QueryStatus::StatusOk;
    answer.undulation = undulations[data[0] & 7];

    std::string line(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t lf = line.find('\n');
    if (lf != std::string::npos) line.resize(lf + 1);

    std::string sentence = "left over";
    const GgaRewrite result = RewriteGgaSentence(line, Query(answer), sentence);
    GgaFields parsed;
    const bool parses = ParseGgaSentence(line, parsed);

    switch (result) {
        case GgaRewrite::Rewritten: {
            if (!parses || answer.calls != 1 || answer.status != QueryStatus::StatusOk)
                std::abort();
            if (!std::isfinite(answer.latitude) || !std::isfinite(answer.longitude)) std::abort();
            if (CarriesWrongChecksum(line) || HoldsSeveralRecords(line)) std::abort();
            CheckSentence(sentence);
            GgaFields again;
            if (ParseGgaSentence(sentence, again)) {
                if (again.latDegrees != parsed.latDegrees ||
                    again.lonDegrees != parsed.lonDegrees ||
                    again.latHemisphere != parsed.latHemisphere ||
                    again.lonHemisphere != parsed.lonHemisphere ||
                    std::fabs(again.latMinutes - parsed.latMinutes) >
                        1e-7 * (1 + std::fabs(parsed.latMinutes)) ||
                    std::fabs(again.lonMinutes - parsed.lonMinutes) >
                        1e-7 * (1 + std::fabs(parsed.lonMinutes))) {
                    std::abort();
                }
            }
            break;
        }
        case GgaRewrite::QueryFailed:
            if (!parses || answer.calls != 1 || answer.status == QueryStatus::StatusOk)
                std::abort();
            break;
        case GgaRewrite::Copied:
            if (answer.calls != 0) std::abort();
            break;
    }
    if (!parses && result != GgaRewrite::Copied) std::abort();

    // CR LF and LF are the same line end.
    if (line.size() >= 1 && line.back() == '\n' &&
        (line.size() < 2 || line[line.size() - 2] != '\r')) {
        std::string crlf = line;
        crlf.insert(crlf.size() - 1, "\r");
        Answer second;
        second.status = answer.status;
        second.undulation = answer.undulation;
        std::string other;
        if (RewriteGgaSentence(crlf, Query(second), other) != result || other != sentence)
            std::abort();
    }
    return 0;
}
