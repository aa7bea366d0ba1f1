// What heights become: the one choice the heights of text files and of DEM rasters share.
#pragma once

namespace egm2008 {

/// What the height column becomes; None appends N alone.
enum class HeightTarget { None, Orthometric, Ellipsoidal };

}  // namespace egm2008
