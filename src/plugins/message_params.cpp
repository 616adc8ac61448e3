#include "plugins/message_params.h"

#include <algorithm>
#include <limits>
#include <mutex>
#include <thread>
#include <memory>
#include <vector>

#include "platform/numbers.h"

namespace cv {

std::string TcvMessageParam::AsString() {
  switch (Kind) {
    case kParamInteger: StrValue = std::to_string(IntValue); return StrValue;
    case kParamBoolean: return BoolValue ? "1" : "0";
    default: return StrValue;
  }
}

std::int32_t TcvMessageParam::AsInteger() const {
  switch (Kind) {
    case kParamInteger: return IntValue;
    case kParamBoolean: return BoolValue ? 1 : 0;
    default: return StrToIntDef(StrValue, 0);
  }
}

bool TcvMessageParam::AsBoolean() const {
  switch (Kind) {
    case kParamInteger: return IntValue == 1;
    case kParamBoolean: return BoolValue != 0;
    default: return !StrValue.empty() && StrValue.front() == '1';
  }
}

void TcvMessageParam::SetString(std::string value) {
  Kind = kParamString;
  StrValue = std::move(value);
}

void TcvMessageParam::SetInteger(std::int32_t value) {
  Kind = kParamInteger;
  IntValue = value;
}

void TcvMessageParam::SetBoolean(bool value) {
  Kind = kParamBoolean;
  BoolValue = value ? 1 : 0;
}

namespace {

struct Block {
  std::int32_t Id = 0;
  std::thread::id Creator;
  std::vector<TcvMessageParam> Params;
  // Copies of the texts handed out by pointer (GetStrData): a plug-in may
  // hold such a pointer for the block's whole life, whatever later writes do
  // to the parameters, so the copies go only with the block.
  std::vector<std::unique_ptr<std::string>> HandedOut;
};

// The block list, in ascending order of id (new blocks are appended).
class BlockList {
 public:
  std::mutex Lock;

  std::int32_t Create() {
    // Ids are never reused; should the 32-bit range ever run out, no block
    // is created rather than an old id handed out again.
    if (nextId_ == std::numeric_limits<std::int32_t>::max()) return 0;
    blocks_.push_back(Block{nextId_, std::this_thread::get_id(), {}, {}});
    return nextId_++;
  }

  Block* Find(std::int32_t id) {
    if (id <= 0) return nullptr;
    auto at = Position(id);
    return at != blocks_.end() && at->Id == id ? &*at : nullptr;
  }

  void Destroy(std::int32_t id) {
    if (id <= 0) return;
    auto at = Position(id);
    if (at != blocks_.end() && at->Id == id) blocks_.erase(at);
  }

  std::int32_t LastId() const { return blocks_.empty() ? 0 : blocks_.back().Id; }

  void ReleaseAfter(std::int32_t mark, std::thread::id thread) {
    std::erase_if(blocks_, [&](const Block& b) { return b.Id > mark && b.Creator == thread; });
  }

 private:
  std::vector<Block>::iterator Position(std::int32_t id) {
    return std::lower_bound(blocks_.begin(), blocks_.end(), id,
                            [](const Block& b, std::int32_t value) { return b.Id < value; });
  }

  // Id 0 is reserved from the start: it is never handed out, so it always
  // means "no block".
  std::int32_t nextId_ = 1;
  std::vector<Block> blocks_;
};

BlockList& Blocks() {
  static BlockList list;
  return list;
}

// The parameter at `index` of the block; null when either does not exist.
// The caller holds the list's lock.
TcvMessageParam* ParamAt(BlockList& list, std::int32_t block, std::int32_t index) {
  Block* found = list.Find(block);
  if (!found || index < 0 || static_cast<std::size_t>(index) >= found->Params.size()) {
    return nullptr;
  }
  return &found->Params[static_cast<std::size_t>(index)];
}

// Runs `action` on the parameter under the list's lock; `fallback` when the
// block or index does not exist.
template <typename Result, typename Action>
Result WithParam(std::int32_t block, std::int32_t index, Result fallback, Action action) {
  BlockList& list = Blocks();
  std::lock_guard lock(list.Lock);
  TcvMessageParam* param = ParamAt(list, block, index);
  return param ? action(*param) : fallback;
}

template <typename Action>
void WithBlock(std::int32_t block, Action action) {
  BlockList& list = Blocks();
  std::lock_guard lock(list.Lock);
  if (Block* found = list.Find(block)) action(*found);
}

void AddValue(std::vector<TcvMessageParam>& params, const MessageParamValue& value) {
  TcvMessageParam& param = params.emplace_back();
  if (const auto* text = std::get_if<std::string>(&value)) {
    param.SetString(*text);
  } else if (const auto* number = std::get_if<std::int32_t>(&value)) {
    param.SetInteger(*number);
  } else {
    param.SetBoolean(std::get<bool>(value));
  }
}

}  // namespace

std::int32_t CreateBlock() {
  BlockList& list = Blocks();
  std::lock_guard lock(list.Lock);
  return list.Create();
}

void DestroyBlock(std::int32_t block) {
  BlockList& list = Blocks();
  std::lock_guard lock(list.Lock);
  list.Destroy(block);
}

bool BlockExists(std::int32_t block) {
  BlockList& list = Blocks();
  std::lock_guard lock(list.Lock);
  return list.Find(block) != nullptr;
}

std::int32_t GetCount(std::int32_t block) {
  std::int32_t count = 0;
  WithBlock(block, [&](Block& b) { count = static_cast<std::int32_t>(b.Params.size()); });
  return count;
}

void SetCount(std::int32_t block, std::int32_t count) {
  WithBlock(block,
            [&](Block& b) { b.Params.resize(static_cast<std::size_t>(std::max(count, 0))); });
}

std::uint8_t GetKind(std::int32_t block, std::int32_t index) {
  return WithParam(block, index, std::uint8_t{kParamString},
                   [](TcvMessageParam& p) { return p.Kind; });
}

std::string GetStr(std::int32_t block, std::int32_t index) {
  return WithParam(block, index, std::string(), [](TcvMessageParam& p) { return p.AsString(); });
}

std::int32_t GetInt(std::int32_t block, std::int32_t index) {
  return WithParam(block, index, std::int32_t{0}, [](TcvMessageParam& p) { return p.AsInteger(); });
}

bool GetBool(std::int32_t block, std::int32_t index) {
  return WithParam(block, index, false, [](TcvMessageParam& p) { return p.AsBoolean(); });
}

const char* GetStrData(std::int32_t block, std::int32_t index) {
  BlockList& list = Blocks();
  std::lock_guard lock(list.Lock);
  Block* found = list.Find(block);
  TcvMessageParam* param = ParamAt(list, block, index);
  if (!found || !param) return "";
  std::string text = param->AsString();
  // The same text asked for again shares its copy, so polling a parameter
  // does not grow the block.
  for (const std::unique_ptr<std::string>& copy : found->HandedOut) {
    if (*copy == text) return copy->c_str();
  }
  found->HandedOut.push_back(std::make_unique<std::string>(std::move(text)));
  return found->HandedOut.back()->c_str();
}

void SetStr(std::int32_t block, std::int32_t index, const std::string& value) {
  BlockList& list = Blocks();
  std::lock_guard lock(list.Lock);
  if (TcvMessageParam* param = ParamAt(list, block, index)) param->SetString(value);
}

void SetInt(std::int32_t block, std::int32_t index, std::int32_t value) {
  BlockList& list = Blocks();
  std::lock_guard lock(list.Lock);
  if (TcvMessageParam* param = ParamAt(list, block, index)) param->SetInteger(value);
}

void SetBool(std::int32_t block, std::int32_t index, bool value) {
  BlockList& list = Blocks();
  std::lock_guard lock(list.Lock);
  if (TcvMessageParam* param = ParamAt(list, block, index)) param->SetBoolean(value);
}

void AddStr(std::int32_t block, const std::string& value) {
  WithBlock(block, [&](Block& b) { AddValue(b.Params, value); });
}

void AddInt(std::int32_t block, std::int32_t value) {
  WithBlock(block, [&](Block& b) { AddValue(b.Params, value); });
}

void AddBool(std::int32_t block, bool value) {
  WithBlock(block, [&](Block& b) { AddValue(b.Params, value); });
}

std::int32_t LastBlockId() {
  BlockList& list = Blocks();
  std::lock_guard lock(list.Lock);
  return list.LastId();
}

void ReleaseBlocksAfter(std::int32_t mark) {
  BlockList& list = Blocks();
  std::lock_guard lock(list.Lock);
  list.ReleaseAfter(mark, std::this_thread::get_id());
}

std::int32_t NewParamsBlock(std::initializer_list<MessageParamValue> values) {
  return NewParamsBlock(std::span<const MessageParamValue>(values.begin(), values.size()));
}

std::int32_t NewParamsBlock(std::span<const MessageParamValue> values) {
  BlockList& list = Blocks();
  std::lock_guard lock(list.Lock);
  const std::int32_t id = list.Create();
  if (Block* block = list.Find(id)) {
    for (const MessageParamValue& value : values) AddValue(block->Params, value);
  }
  return id;
}

}  // namespace cv
