#pragma once
// The per-thread identifier lists that one selection or size operation keeps
// while it runs: the features it excluded and the components it counted.

#include <optional>
#include <set>
#include <string>

#include "platform/case_map.h"

namespace cv::feature_detail {

using IdList = std::set<std::string, TextLessNoCase>;

// Makes a list available in `slot` (a thread_local pointer) for the lifetime
// of the scope: the one an enclosing operation set up, or, when there is none
// or `fresh` is asked for, a list of its own. Whatever was in the slot comes
// back when the scope ends, also through an exception, so a failed operation
// leaves nothing behind for the next one.
class ScratchScope {
 public:
  ScratchScope(IdList*& slot, bool fresh) : slot_(slot), previous_(slot) {
    if (fresh || !slot_) {
      own_.emplace();
      slot_ = &*own_;
    }
  }
  ScratchScope(const ScratchScope&) = delete;
  ScratchScope& operator=(const ScratchScope&) = delete;
  ~ScratchScope() { slot_ = previous_; }

  IdList& Ids() const { return *slot_; }
  bool Owned() const { return own_.has_value(); }

 private:
  IdList*& slot_;
  IdList* previous_;
  std::optional<IdList> own_;
};

}  // namespace cv::feature_detail
