// Exported functions of the services family, in the frame of ApiFrame.h: check
// the handle, run the work, set the calling thread's error code.
#include "vortan.h"

#include "ApiFrame.h"
#include "GeodesyHandle.h"

using vortan_api::Guard;
using vortan_api::SetError;

extern "C" {

/* ---- local grid adjustment --------------------------------------------- */

/* ---- geoid ------------------------------------------------------------- */

/* ---- units and local names --------------------------------------------- */

}  // extern "C"
