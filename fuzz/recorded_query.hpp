// The query the sentence fuzz targets hand to the code under test: it answers
// as told and records how it was asked.
#pragma once

#include "tasks/nmea/nmea_gga.hpp"

namespace egm2008::fuzz {

/// What the query answers, and what it was asked.
struct Answer {
    QueryStatus status = QueryStatus::StatusOk;
    float undulation = 0.0f;
    int calls = 0;
    double latitude = 0.0;
    double longitude = 0.0;
};

/// A query that answers `answer`'s status (and undulation when it is StatusOk)
/// and records each call in it.
inline UndulationQuery Query(Answer& answer) {
    return [&answer](double latitude, double longitude, float& undulation) {
        ++answer.calls;
        answer.latitude = latitude;
        answer.longitude = longitude;
        if (answer.status == QueryStatus::StatusOk) undulation = answer.undulation;
        return answer.status;
    };
}

}  // namespace egm2008::fuzz
