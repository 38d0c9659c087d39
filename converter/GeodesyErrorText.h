// The texts shown to the surveyor for the VORTAN library's error codes
// (the codes GetGeodesyError returns, listed in vortan.h). The converter puts
// them into its messages and the vortan command prints them, so both say the
// same words for the same failure.
#pragma once

#include <cstdint>

// Text of a library error code 0-12; nullptr for any other code.
inline const char* GeodesyErrorText(std::int32_t code)
{
    static const char* const kTexts[] = {"Ok",
                                         "Unknown",
                                         "Invalid geodesy handle",
                                         "Invalid ellipsoid flattening",
                                         "Invalid unit to meters conversion factor",
                                         "Invalid projection",
                                         "Singularity",
                                         "Invalid projection parameters",
                                         "Undulation value not available",
                                         "Invalid geoid model",
                                         "Domain error",
                                         "Non-convergence",
                                         "No Name"};
    constexpr std::int32_t kCount = static_cast<std::int32_t>(sizeof kTexts / sizeof kTexts[0]);
    return code >= 0 && code < kCount ? kTexts[code] : nullptr;
}
