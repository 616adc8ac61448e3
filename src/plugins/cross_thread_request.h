#pragma once
// A message send handed from a worker thread to the user-interface thread:
// allocated by the sender, posted by pointer with window message 0x5911 to the
// hidden main window, and freed by the receiver after the dispatch.

#include <cstddef>
#include <cstdint>

namespace cv {

inline constexpr unsigned kCrossThreadMessage = 0x5911;  // 22801

#pragma pack(push, 1)
struct CrossThreadRequest {
  std::int32_t SenderId;
  std::int32_t MessageId;
  std::int32_t InBlock;
  std::int32_t OutBlock;
  std::uint8_t ProcessAll;
  std::uint8_t FreeInBlock;
};
#pragma pack(pop)

static_assert(sizeof(CrossThreadRequest) == 18);
static_assert(offsetof(CrossThreadRequest, MessageId) == 4);
static_assert(offsetof(CrossThreadRequest, InBlock) == 8);
static_assert(offsetof(CrossThreadRequest, OutBlock) == 12);
static_assert(offsetof(CrossThreadRequest, ProcessAll) == 16);
static_assert(offsetof(CrossThreadRequest, FreeInBlock) == 17);

}  // namespace cv
