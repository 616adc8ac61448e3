#pragma once
// Parameter blocks: numbered lists of typed values that the engine keeps for
// messages and hands out by integer id, so that plug-ins written in any
// language and the event scripts can read and write them.
//
// One process-wide block list. Ids start at 1 and are never reused; 0 is
// reserved and stands for "no block". Every function accepts any id and
// index: an unknown id (0 included) or an index out of range makes reads
// answer "", 0 or false and makes writes do nothing; nothing raises.
//
// The installation thread calls these functions directly while the
// user-interface thread dispatches messages, so the list is guarded by a
// mutex.

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <variant>

namespace cv {

// Kinds of a parameter.
enum TcvMessageParamKind : std::uint8_t {
  kParamString = 0,
  kParamInteger = 1,
  kParamBoolean = 2,
};

struct TcvMessageParam {
  std::uint8_t Kind = kParamString;
  std::string StrValue;
  std::int32_t IntValue = 0;
  std::uint8_t BoolValue = 0;  // 0 or 1

  // Converted reads:
  // - as text: a string gives itself; an integer its decimal text (which is
  //   also kept in StrValue); a boolean "1" or "0";
  // - as integer: a string read with StrToIntDef, 0 when it is no integer; an
  //   integer itself; a boolean 0 or 1;
  // - as boolean: a string is true when it begins with "1"; an integer when it
  //   is exactly 1; a boolean itself.
  std::string AsString();
  std::int32_t AsInteger() const;
  bool AsBoolean() const;

  // Writing sets the kind and the matching field.
  void SetString(std::string value);
  void SetInteger(std::int32_t value);
  void SetBoolean(bool value);
};

// A value for NewParamsBlock. A string literal becomes a string (never a
// boolean), an int an integer, a bool a boolean.
using MessageParamValue = std::variant<std::string, std::int32_t, bool>;

// Id of a new empty block.
std::int32_t CreateBlock();
void DestroyBlock(std::int32_t block);
// Whether the id names a block that exists now.
bool BlockExists(std::int32_t block);

// Number of parameters; 0 for an unknown block.
std::int32_t GetCount(std::int32_t block);
// A negative count counts as 0. Growing appends empty string parameters;
// shrinking removes parameters from the end.
void SetCount(std::int32_t block, std::int32_t count);

// The kind of the parameter; kParamString (0) when it does not exist.
std::uint8_t GetKind(std::int32_t block, std::int32_t index);

std::string GetStr(std::int32_t block, std::int32_t index);
std::int32_t GetInt(std::int32_t block, std::int32_t index);
bool GetBool(std::int32_t block, std::int32_t index);
// The parameter's text as a NUL-terminated text, for the plug-in services:
// a copy that the block keeps until it is destroyed, so later writes to the
// block never move a text a plug-in still reads. An empty text for a missing
// parameter.
const char* GetStrData(std::int32_t block, std::int32_t index);

// Only an existing index is written.
void SetStr(std::int32_t block, std::int32_t index, const std::string& value);
void SetInt(std::int32_t block, std::int32_t index, std::int32_t value);
void SetBool(std::int32_t block, std::int32_t index, bool value);

void AddStr(std::int32_t block, const std::string& value);
void AddInt(std::int32_t block, std::int32_t value);
void AddBool(std::int32_t block, bool value);

// The id of the last block in the list (the newest that still exists); 0 when
// there is none. A dispatch records it as its mark.
std::int32_t LastBlockId();

// Destroys the blocks that the calling thread created after the mark (ids
// greater than `mark`). Blocks of other threads are left alone: the
// installation thread may create its next message's blocks while the
// user-interface thread finishes a dispatch, and those are not the
// dispatch's to free. Also correct when the mark's own block was destroyed
// meanwhile: blocks created before it are never touched.
void ReleaseBlocksAfter(std::int32_t mark);

// A new block holding the values in order, each with the kind of its type.
std::int32_t NewParamsBlock(std::initializer_list<MessageParamValue> values);
std::int32_t NewParamsBlock(std::span<const MessageParamValue> values);

}  // namespace cv
