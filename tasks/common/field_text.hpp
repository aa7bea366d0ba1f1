// Numbers in a page's edit fields.
//
// A field is read as a number only when its whole text, white space and
// no-break spaces around it aside, is one. Latitude and longitude fields take decimal degrees
// ("52.5", "52,5", "-7.25", "48.5°") or degrees, minutes and seconds in one of four spellings:
// 48°30'15.5", 48d30m15.5s, 48 30 15.5 or 48:30:15.5 (seconds, or minutes and seconds, may be left
// off). Minutes and seconds lie in 0 <= x < 60; only the last part may carry a fraction. A
// hemisphere letter may stand before or after the number (N/S in latitude fields, E/W in longitude
// fields, either case; S and W make it negative), but not together with a sign; in 48d30m15.5s the
// closing "s" is the seconds' sign, so a southern hemisphere is written apart (48d30m15.5s S).
// Spacing fields take a plain decimal number. Text that is none of these ("abc", "52.5x", "",
// "nan", "inf", "1e1", "1,2,3") is refused, and a page that meets it marks the field, naming it,
// and computes nothing. A number too large for a double is refused as well; one too small reads 0.
//
// A value goes back into its field as "%.8lf" does it. Both directions use
// "." whatever the process locale.
#pragma once

#include <locale.h>

#include <optional>
#include <string>
#include <string_view>

#include "tasks/common/page_platform.hpp"

namespace egm2008 {

/// What a field holds, which decides the spellings it takes.
enum class FieldKind { Latitude, Longitude, Spacing };

/// The decimal mark a number may be written with: either (edit fields, where
/// the user may type both), only "." or only ",".
enum class DecimalMark { Either, Point, Comma };

/// The number that the whole of `text` spells for a field of `kind`, or nothing.
std::optional<double> ParseFieldNumber(std::string_view text, FieldKind kind,
                                       DecimalMark mark = DecimalMark::Either);

/// `value` as "%.8lf" in the "C" locale: 52 gives "52.00000000", -7.5 "-7.50000000".
std::string FormatFieldNumber(double value);

/// `value` as "%.<decimals>f" in the "C" locale (0 <= decimals <= 17).
std::string FormatFixed(double value, int decimals);

/// The fields one "Calc!" refuses. A page reads and checks every field, so that all
/// refused fields are marked at once, each beside the field with its reason
/// (PagePlatform::ShowFieldError), not one message box per field and round.
class FieldRefusals {
public:
    /// The refusals reach the window through `platform`, which must outlive this.
    explicit FieldRefusals(PagePlatform& platform) : platform_(platform) {}

    /// Reads field `id` as a number of `kind`; a text that is none is refused
    /// (FieldNotANumberMessage, naming the field `name`) and nothing returned.
    std::optional<double> Read(int id, FieldKind kind, const char* name);
    /// Refuses field `id` for `why`.
    void Refuse(int id, const std::string& why);
    /// When a field was refused: the focus goes into the first one refused, the
    /// status line tells its reason (and how many were refused), and true is returned.
    bool Finish();

private:
    PagePlatform& platform_;
    int first_ = 0;
    std::string firstReason_;
    int count_ = 0;
};

/// Writes `value` into field `id` as "%.8lf".
void WriteFieldNumber(PagePlatform& platform, int id, double value);

/// Makes printf and scanf of the current thread use the "C" locale's numbers
/// while the object lives, whatever locale the program has set (a desktop
/// program takes the user's, whose decimal separator may be a comma).
class CNumericScope {
public:
    CNumericScope();
    ~CNumericScope();
    CNumericScope(const CNumericScope&) = delete;
    CNumericScope& operator=(const CNumericScope&) = delete;

private:
    locale_t previous_ = nullptr;
};

}  // namespace egm2008
