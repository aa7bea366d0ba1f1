#include "tasks/manual_point.hpp"

#include "engine/query_routines.hpp"
#include "tasks/field_text.hpp"

namespace egm2008 {

namespace {

using Routine = QueryStatus (*)(const GeoidGrid&, double, double, float&, Notifier&);

struct MethodField {
    Routine routine;
    int field;
};

// The order of the queries is the order in which the user sees their messages.
constexpr MethodField kMethods[] = {
    {InterpolateBiQuadratic, manual_ids::kBiQuadratic},
    {InterpolateBiLinear, manual_ids::kBiLinear},
    {InterpolateTriangulation, manual_ids::kTriangulation},
    {LookupNearest, manual_ids::kNearest},
};

constexpr const char* kNotAvailable = "N/A";

}  // namespace

void ManualPointPage::CalculatePoint() {
    for (const MethodField& m : kMethods) platform_.SetFieldText(m.field, kNotAvailable);
    if (grid_ == nullptr) {
        platform_.Notify(kNullGridMessage, NoticeIcon::Error);
        return;
    }

    const double latitude = ReadFieldNumber(platform_, manual_ids::kLatitude);
    WriteFieldNumber(platform_, manual_ids::kLatitude, latitude);
    const double longitude = ReadFieldNumber(platform_, manual_ids::kLongitude);
    WriteFieldNumber(platform_, manual_ids::kLongitude, longitude);

    // The field keeps the longitude as typed; only the queries see it shifted.
    const double queryLongitude = longitude < 0.0 ? longitude + 360.0 : longitude;
    for (const MethodField& m : kMethods) {
        float result = kResultPreset;
        if (m.routine(*grid_, latitude, queryLongitude, result, platform_) == QueryStatus::StatusOk) {
            platform_.SetFieldText(m.field, FormatFixed(static_cast<double>(result), 4));
        }
    }
}

void ManualPointPage::ClearResults() {
    for (const MethodField& m : kMethods) platform_.SetFieldText(m.field, "");
}

}  // namespace egm2008
