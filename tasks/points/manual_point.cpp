#include "tasks/points/manual_point.hpp"

#include "tasks/common/field_text.hpp"
#include "tasks/maps/map_frame.hpp"

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
    if (result.ok())
        result.undulation =
            InTideSystem(request.tide, request.latitude, static_cast<double>(result.value));
    return result;
}

ManualPointOutcome ComputeManualPoint(const GeoidGrid& grid, const ManualPointRequest& request,
                                      Notifier& notifier) {
    FirstNoticeOnly once(notifier);
    ManualPointOutcome outcome;
    for (const ManualMethod& m : kManualMethods) {
        if (request.only && *request.only != m.method) continue;
        outcome.results[outcome.count++] = ComputeManualMethod(m, grid, request, once);
    }
    return outcome;
}

bool ManualPointPage::ReadPoint(ManualPointRequest& request) {
    // Both fields are read, so that both are marked when both are refused.
    FieldRefusals refusals(platform_);
    const std::optional<double> latitude =
        refusals.Read(manual_ids::kLatitude, FieldKind::Latitude, kLatitudeFieldName);
    if (latitude) WriteFieldNumber(platform_, manual_ids::kLatitude, *latitude);
    const std::optional<double> longitude =
        refusals.Read(manual_ids::kLongitude, FieldKind::Longitude, kLongitudeFieldName);
    if (longitude) WriteFieldNumber(platform_, manual_ids::kLongitude, *longitude);
    if (refusals.Finish()) return false;
    request.latitude = *latitude;
    request.longitude = *longitude;
    return true;
}

void ManualPointPage::CalculatePoint() {
    for (const ManualMethod& m : kManualMethods) platform_.SetFieldText(m.field, kNotAvailable);
    if (grid_ == nullptr) {
        platform_.UnmarkPlace(manual_ids::kPicture);
        platform_.Notify(kNullGridMessage, NoticeIcon::Error);
        return;
    }
    ManualPointRequest request;
    if (!ReadPoint(request)) {
        ClearResults();
        return;
    }

    // Each result shows as soon as its method answers, before the next one asks; a grid
    // that fails every method is told of once.
    FirstNoticeOnly once(platform_);
    bool anyValue = false;
    for (const ManualMethod& m : kManualMethods) {
        const ManualPointResult result = ComputeManualMethod(m, *grid_, request, once);
        if (result.ok()) {
            platform_.SetFieldText(m.field, FormatFixed(static_cast<double>(result.value), 4));
            anyValue = true;
        }
    }
    if (anyValue) {
        platform_.MarkPlace(manual_ids::kPicture, request.latitude,
                            WrapLongitude(request.longitude));
    } else {
        platform_.UnmarkPlace(manual_ids::kPicture);
    }
    platform_.ShowStatus(ManualStatus(request, anyValue));
}

std::string ManualPointPage::ManualStatus(const ManualPointRequest& request, bool anyValue) const {
    // The grid covers -90..90 and, after the shift of west longitudes, -360..360 as typed.
    if (!(request.latitude >= -90.0 && request.latitude <= 90.0)) {
        return LatitudeOutsideStatus(request.latitude);
    }
    if (!LongitudeInRange(request.longitude)) {
        return LongitudeOutsideStatus(request.longitude);
    }
    return ManualCalcStatus(request.latitude, request.longitude, grid_->path, anyValue);
}

void ManualPointPage::ClearResults() {
    for (const ManualMethod& m : kManualMethods) platform_.SetFieldText(m.field, "");
    platform_.UnmarkPlace(manual_ids::kPicture);
}

}  // namespace egm2008
