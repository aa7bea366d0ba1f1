// GDAL's messages kept from standard error while a raster is read or written: the caller
// takes the last one for its own message. GDAL's drivers are registered on the way.
#pragma once

#include <cpl_error.h>
#include <gdal_priv.h>

#include <string>

namespace egm2008 {

class QuietGdal {
public:
    QuietGdal() {
        GDALAllRegister();
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLErrorReset();
    }
    ~QuietGdal() { CPLPopErrorHandler(); }
    QuietGdal(const QuietGdal&) = delete;
    QuietGdal& operator=(const QuietGdal&) = delete;
    /// GDAL's last message, or "no reason given".
    static std::string LastMessage() {
        const char* text = CPLGetLastErrorMsg();
        return text && *text ? text : "no reason given";
    }
};

}  // namespace egm2008
