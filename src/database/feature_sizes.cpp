#include "database/feature_sizes.h"

#include <algorithm>
#include <limits>
#include <string>

#include "database/feature_scratch.h"
#include "database/main_database.h"
#include "database/model_navigation.h"

namespace cv {

namespace {

using feature_detail::IdList;
using feature_detail::ScratchScope;

// IDs of the components counted during the current size computation.
thread_local IdList* countedList = nullptr;

std::int64_t ListSize(const TcvFeatures& features, bool onlySelected, IdList& counted);

std::int64_t Size(const TcvFeature& feature, bool onlySelected, IdList& counted) {
  if (onlySelected && !feature.Selected) return 0;
  if (!IsEnabled(feature)) return 0;
  std::int64_t sum = 0;
  const TcvMainDatabase* database = GetDatabase(&feature);
  if (feature.Components && database && database->Components) {
    for (int i = 0; i < feature.Components->Count(); ++i) {
      const TcvComponent* reference = feature.Components->Component(i);
      if (!reference) continue;
      const std::string id = reference->ID();
      if (id.empty() || counted.contains(id)) continue;
      const auto* component = dynamic_cast<const TcvComponent*>(database->Components->FindByID(id));
      if (!component || !IsEnabled(*component)) continue;
      counted.insert(id);
      sum += component->Size;
    }
  }
  if (feature.Features) sum += ListSize(*feature.Features, onlySelected, counted);
  return sum;
}

std::int64_t ListSize(const TcvFeatures& features, bool onlySelected, IdList& counted) {
  std::int64_t sum = 0;
  for (int i = 0; i < features.Count(); ++i) {
    if (const TcvFeature* feature = features.Feature(i))
      sum += Size(*feature, onlySelected, counted);
  }
  return sum;
}

// A project whose sizes add up beyond the range must not come out small (or
// negative) and pass the disk-space check.
std::int32_t Clamped(std::int64_t sum) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      sum, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

std::int32_t FeatureSize(const TcvFeature& feature, bool onlySelected) {
  const ScratchScope counted(countedList, false);
  return Clamped(Size(feature, onlySelected, counted.Ids()));
}

std::int32_t TotalSize(const TcvFeatures& features, bool onlySelected) {
  const ScratchScope counted(countedList, false);
  return Clamped(ListSize(features, onlySelected, counted.Ids()));
}

}  // namespace cv
