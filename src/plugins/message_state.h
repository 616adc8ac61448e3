#pragma once
// What one message dispatch changes and must put back: the blocks its
// handlers create, and the main database's variables EventParams and
// EventResult, through which event scripts reach the message's blocks.

#include <cstdint>
#include <string>

namespace cv {

class TcvMainDatabase;

// Variables that hold the ids of the in-block and out-block during a
// dispatch; the main database's variable list always begins with them.
inline constexpr char kEventParamsVariable[] = "EventParams";
inline constexpr char kEventResultVariable[] = "EventResult";

// Made on the dispatching thread when a message is about to reach its
// handlers; destroyed (on every way out) when they are done. Creation records
// the id of the last block as the mark, saves the texts of EventParams and
// EventResult and sets them to the in-block and out-block ids in decimal.
// Destruction destroys the blocks this thread created after the mark and
// gives both variables their saved texts back.
//
// Without a main database the variables are left alone. When the main
// database was replaced during the dispatch, the new one is not touched. The
// variables are found again by name at the end, so a handler that rebuilt the
// variable list leaves no dangling reference behind.
class TMessageState {
 public:
  TMessageState(std::int32_t inBlock, std::int32_t outBlock);
  ~TMessageState();
  TMessageState(const TMessageState&) = delete;
  TMessageState& operator=(const TMessageState&) = delete;

  std::int32_t Mark() const { return mark_; }

 private:
  std::int32_t mark_;
  TcvMainDatabase* database_;
  bool hadParams_ = false;
  bool hadResult_ = false;
  std::string savedParams_;
  std::string savedResult_;
};

}  // namespace cv
