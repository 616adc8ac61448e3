#pragma once
// The disk space of features, summed from the sizes of their components.

#include <cstdint>

#include "database/features.h"

namespace cv {

// The size of a feature: its components (looked up by ID in its database's
// components, counted when their condition holds) and its sub-features. 0
// when its condition fails, or when `onlySelected` is set and it is not
// selected. A component shared by several features counts once in one
// computation (the outermost FeatureSize or TotalSize of this thread). The
// sum is kept within the 32-bit range rather than wrapping round.
std::int32_t FeatureSize(const TcvFeature& feature, bool onlySelected);
// The sizes of all items of the list, in one computation.
std::int32_t TotalSize(const TcvFeatures& features, bool onlySelected);

}  // namespace cv
