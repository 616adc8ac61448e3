#include "platform/delimited_words.h"

#include <climits>

#include "platform/locale_text.h"

namespace cv {

namespace {

// Walks the words of a text from left to right, 0-based.
class WordCursor {
 public:
  WordCursor(std::string_view text, const DelimiterSet& delimiters)
      : text_(text), delimiters_(delimiters) {}

  // Moves to the next word; false when there is none.
  bool Next() {
    std::size_t i = end_;
    while (i < text_.size() && delimiters_.Contains(text_[i])) ++i;
    if (i >= text_.size()) return false;
    start_ = i;
    while (i < text_.size() && !delimiters_.Contains(text_[i])) ++i;
    end_ = i;
    return true;
  }

  std::size_t Start() const { return start_; }
  std::string_view Word() const { return text_.substr(start_, end_ - start_); }

 private:
  std::string_view text_;
  const DelimiterSet& delimiters_;
  std::size_t start_ = 0;
  std::size_t end_ = 0;
};

// Moves the cursor onto word `n`; false when the text has fewer words.
bool SeekWord(WordCursor& cursor, int n) {
  if (n < 1) return false;
  for (int i = 0; i < n; ++i) {
    if (!cursor.Next()) return false;
  }
  return true;
}

}  // namespace

int CountDelimitedWords(std::string_view text, const DelimiterSet& delimiters) {
  WordCursor cursor(text, delimiters);
  int count = 0;
  while (count < INT_MAX && cursor.Next()) ++count;
  return count;
}

std::size_t DelimitedWordStart(int n, std::string_view text, const DelimiterSet& delimiters) {
  WordCursor cursor(text, delimiters);
  return SeekWord(cursor, n) ? cursor.Start() + 1 : 0;
}

std::string GetDelimitedWord(int n, std::string_view text, const DelimiterSet& delimiters) {
  WordCursor cursor(text, delimiters);
  return SeekWord(cursor, n) ? std::string(cursor.Word()) : std::string();
}

bool IsWordInList(std::string_view word, std::string_view list, const DelimiterSet& delimiters,
                  bool caseSensitive) {
  if (word.empty()) return false;
  WordCursor cursor(list, delimiters);
  while (cursor.Next()) {
    const std::string_view candidate = cursor.Word();
    if (caseSensitive ? candidate == word : SameTextLocale(candidate, word)) return true;
  }
  return false;
}

}  // namespace cv
