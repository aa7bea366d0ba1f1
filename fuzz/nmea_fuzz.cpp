// Fuzz target: RewriteNmeaLine on one line of arbitrary bytes.
//
// Input: byte 0 picks what the query answers (bits 0-2 an undulation, NaN
// among them; bits 4-5 both set: the query fails), whether only the separation
// changes (bit 3) and the talker forced (bits 6-7: none, "GN", "GP", "GL"); the
// rest is the line, cut after its first LF as a line read delivers it.
// Checked for every line:
//   - the outcome is Rewritten or TooLong only when one query was made and it
//     gave a plausible undulation (within 1000 m); QueryFailed after one query
//     that did not; every other outcome after none;
//   - ReadNmeaFix agrees: Rewritten for a line rewritten, too long or whose
//     query failed, with the same fix, else the same reason;
//   - a line not rewritten is appended byte for byte;
//   - a rewritten one keeps the bytes before its sentence and differs from
//     the line only in the altitude and
//     separation fields (plain decimals), the talker when one is forced, and
//     the checksum: as many fields, the same texts; the line end is kept; a
//     checksum only where the line had one, then its own in capitals;
//   - the rewritten line reads again as Rewritten at the same position.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/recorded_query.hpp"
#include "tasks/nmea/nmea_rewrite.hpp"

using namespace egm2008;
using namespace egm2008::engine;
using fuzz::Answer;
using fuzz::Query;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// The line without its line end ("\n", "\r\n" or none), and that line end.
std::string_view Body(std::string_view line, std::string_view& lineEnd) {
    std::string_view body = line;
    if (!body.empty() && body.back() == '\n') body.remove_suffix(1);
    if (!body.empty() && body.back() == '\r') body.remove_suffix(1);
    lineEnd = line.substr(body.size());
    return body;
}

std::vector<std::string_view> SplitFields(std::string_view data) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = data.find(',', start);
        fields.push_back(data.substr(start, comma - start));
        if (comma == std::string_view::npos) return fields;
        start = comma + 1;
    }
}

// "[-]digits.digits", as a rewritten height is written.
bool IsPlainDecimal(std::string_view text) {
    if (!text.empty() && text.front() == '-') text.remove_prefix(1);
    const std::size_t point = text.find('.');
    if (point == 0 || point == std::string_view::npos || point + 1 == text.size()) return false;
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (k != point && (text[k] < '0' || text[k] > '9')) return false;
    }
    return true;
}

// A checksum where the line had one, and then the right one in capitals.
void CheckChecksum(std::string_view rewritten, bool hadChecksum) {
    const std::size_t star = rewritten.find('*');
    Check((star != std::string_view::npos) == hadChecksum);
    if (!hadChecksum) return;
    Check(star + 3 == rewritten.size());
    static constexpr char kHex[] = "0123456789ABCDEF";
    const std::uint8_t sum = NmeaChecksum(rewritten.substr(1, star - 1));
    Check(rewritten[star + 1] == kHex[sum >> 4] && rewritten[star + 2] == kHex[sum & 15]);
}

// A rewritten line against the line it came from.
void CheckRewritten(std::string_view line, std::string_view rewritten,
                    const NmeaRewriteOptions& options, const NmeaFix& fix) {
    std::string_view lineEnd;
    std::string_view newEnd;
    std::string_view body = Body(line, lineEnd);
    std::string_view newBody = Body(rewritten, newEnd);
    Check(newEnd == lineEnd);
    const std::size_t at = FindNmeaSentence(body);
    Check(at != std::string_view::npos && newBody.substr(0, at) == body.substr(0, at));
    body.remove_prefix(at);
    newBody.remove_prefix(at);
    const bool hadChecksum = body.find('*') != std::string_view::npos;
    CheckChecksum(newBody, hadChecksum);

    const std::vector<std::string_view> before = SplitFields(body.substr(0, body.find('*')));
    const std::vector<std::string_view> after = SplitFields(newBody.substr(0, newBody.find('*')));
    Check(before.size() == after.size() && before.size() >= 13);
    const bool gns = fix.type == "GNS";
    const std::size_t altitudeField = 9;
    const std::size_t separationField = gns ? 10 : 11;
    for (std::size_t k = 0; k < before.size(); ++k) {
        if (k == altitudeField || k == separationField) {
            Check(IsPlainDecimal(after[k]));
        } else if (k == 0 && !options.talker.empty()) {
            Check(after[0].size() == before[0].size() && after[0].substr(1, 2) == options.talker &&
                  after[0][0] == '$' && after[0].substr(3) == before[0].substr(3));
        } else {
            Check(after[k] == before[k]);
        }
    }

    NmeaFix again;
    Check(ReadNmeaFix(rewritten, again) == NmeaOutcome::Rewritten);
    Check(again.latitude == fix.latitude && again.longitude == fix.longitude);
    Check(again.type == fix.type && again.time == fix.time);
    Check(again.talker == (options.talker.empty() ? fix.talker : options.talker));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    static const float undulations[] = {
        47.25f, 56.0f,  -107.0f, 0.0f,
        -0.0f,  999.9f, -0.04f,  std::numeric_limits<float>::quiet_NaN()};
    static const char* const talkers[] = {"", "GN", "GP", "GL"};
    Answer answer;
    answer.status = (data[0] & 0x30) == 0x30 ? QueryStatus::StatusOutside : QueryStatus::StatusOk;
    answer.undulation = undulations[data[0] & 7];
    NmeaRewriteOptions options;
    options.separationOnly = (data[0] & 8) != 0;
    options.talker = talkers[data[0] >> 6];

    std::string line(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t lf = line.find('\n');
    if (lf != std::string::npos) line.resize(lf + 1);

    const std::string before = "left over\n";
    std::string out = before;
    NmeaFix fix;
    const NmeaOutcome outcome = RewriteNmeaLine(line, options, Query(answer), out, &fix);
    NmeaFix read;
    const NmeaOutcome reading = ReadNmeaFix(line, read);

    Check(out.compare(0, before.size(), before) == 0);
    const std::string_view written = std::string_view(out).substr(before.size());
    const bool answered =
        answer.status == QueryStatus::StatusOk && std::fabs(answer.undulation) <= 1000.0f;
    switch (outcome) {
        case NmeaOutcome::Rewritten:
        case NmeaOutcome::TooLong: Check(answer.calls == 1 && answered); break;
        case NmeaOutcome::QueryFailed: Check(answer.calls == 1 && !answered); break;
        default: Check(answer.calls == 0); break;
    }
    if (outcome == NmeaOutcome::Rewritten || outcome == NmeaOutcome::TooLong ||
        outcome == NmeaOutcome::QueryFailed) {
        Check(reading == NmeaOutcome::Rewritten);
        Check(fix.latitude == read.latitude && fix.longitude == read.longitude &&
              fix.altitude == read.altitude && fix.separation == read.separation &&
              fix.talker == read.talker && fix.type == read.type && fix.time == read.time);
        Check(answer.latitude == fix.latitude &&
              answer.longitude == (fix.longitude < 0.0 ? fix.longitude + 360.0 : fix.longitude));
    } else {
        Check(reading == outcome);
    }

    if (outcome == NmeaOutcome::Rewritten) {
        CheckRewritten(line, written, options, fix);
    } else {
        Check(written == line);
    }
    return 0;
}
