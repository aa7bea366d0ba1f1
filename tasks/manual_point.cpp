#include "tasks/manual_point.hpp"

#include "tasks/field_text.hpp"

namespace egm2008 {

static_assert(std::size(kManualMethods) == kManualMethodCount);

bool ManualPointOutcome::allComputed() const {
    for (int k = 0; k < count; ++k) {
        if (!results[k].ok()) return false;
    }
    return true;
}

ManualPointResult ComputeManualMethod(const ManualMethod& method, const GeoidGrid& grid,
                                      const ManualPointRequest& request, Notifier& notifier) {
    // The caller keeps the longitude as typed; only the queries see it shifted.
    const double longitude =
        request.longitude < 0.0 ? request.longitude + 360.0 : request.longitude;
    ManualPointResult result;
    result.method = &method;
    result.status = method.routine(grid, request.latitude, longitude, result.value, notifier);
    return result;
}

ManualPointOutcome ComputeManualPoint(const GeoidGrid& grid, const ManualPointRequest& request,
                                      Notifier& notifier) {
    ManualPointOutcome outcome;
    for (const ManualMethod& m : kManualMethods) {
        if (request.only && *request.only != m.method) continue;
        outcome.results[outcome.count++] = ComputeManualMethod(m, grid, request, notifier);
    }
    return outcome;
}

void ManualPointPage::CalculatePoint() {
    for (const ManualMethod& m : kManualMethods) platform_.SetFieldText(m.field, kNotAvailable);
    if (grid_ == nullptr) {
        platform_.Notify(kNullGridMessage, NoticeIcon::Error);
        return;
    }

    ManualPointRequest request;
    request.latitude = ReadFieldNumber(platform_, manual_ids::kLatitude);
    WriteFieldNumber(platform_, manual_ids::kLatitude, request.latitude);
    request.longitude = ReadFieldNumber(platform_, manual_ids::kLongitude);
    WriteFieldNumber(platform_, manual_ids::kLongitude, request.longitude);

    // Each result shows as soon as its method answers, before the next one asks.
    for (const ManualMethod& m : kManualMethods) {
        const ManualPointResult result = ComputeManualMethod(m, *grid_, request, platform_);
        if (result.ok()) {
            platform_.SetFieldText(m.field, FormatFixed(static_cast<double>(result.value), 4));
        }
    }
}

void ManualPointPage::ClearResults() {
    for (const ManualMethod& m : kManualMethods) platform_.SetFieldText(m.field, "");
}

}  // namespace egm2008
