#pragma once
// The per-item events an action-list step sends, as plug-ins see them
// ("EV_BEFOREPROCESSITEM 4,<file>,0"), with a plug-in answer that skips the
// items whose file name contains a chosen text.

#include <cstdint>
#include <string>
#include <vector>

#include "plugins/message_dispatch.h"
#include "plugins/message_params.h"

namespace cv::test {

class ItemEvents {
 public:
  explicit ItemEvents(std::string skipped = "\x01") : skipped_(std::move(skipped)) {
    MessageHandlers handlers;
    handlers.Plugins = [this](std::int32_t, std::int32_t, const std::string& name,
                              std::int32_t in, std::int32_t, bool) {
      std::string line = name;
      for (std::int32_t i = 0; i < GetCount(in); ++i) {
        line += i == 0 ? " " : ",";
        line += GetKind(in, i) == kParamString ? GetStr(in, i) : std::to_string(GetInt(in, i));
      }
      seen.push_back(line);
      return name == "EV_BEFOREPROCESSITEM" && line.find(skipped_) != std::string::npos ? 1 : 0;
    };
    previous_ = SetMessageHandlers(handlers);
  }
  ItemEvents(const ItemEvents&) = delete;
  ItemEvents& operator=(const ItemEvents&) = delete;
  ~ItemEvents() { SetMessageHandlers(previous_); }

  std::vector<std::string> seen;

 private:
  std::string skipped_;
  MessageHandlers previous_;
};

}  // namespace cv::test
