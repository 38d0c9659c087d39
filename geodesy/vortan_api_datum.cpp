// Exported functions of the datum family, in the frame of ApiFrame.h: check
// the handle, run the work, set the calling thread's error code.
#include "vortan.h"

#include "ApiFrame.h"
#include "GeodesyHandle.h"

using vortan_api::Guard;
using vortan_api::SetError;

extern "C" {

/* ---- datum, ellipsoid conversion and ECEF ------------------------------ */

/* ---- definition file --------------------------------------------------- */

}  // extern "C"
