#pragma once
// Delimiter-separated word lists: a word is a maximal run of bytes that are
// not delimiters. Runs of delimiters separate words, so there are no empty
// words: ",a,,b," holds the two words "a" and "b". Words are numbered from 1;
// positions are 1-based, 0 meaning "none".

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace cv {

// A set of byte values. Built implicitly from the bytes of a text, so call
// sites read IsWordInList(word, list, ",", false).
class DelimiterSet {
 public:
  constexpr DelimiterSet() = default;
  constexpr DelimiterSet(std::string_view bytes) {
    for (const char c : bytes) Add(c);
  }
  constexpr DelimiterSet(const char* bytes)
      : DelimiterSet(bytes == nullptr ? std::string_view() : std::string_view(bytes)) {}
  DelimiterSet(const std::string& bytes) : DelimiterSet(std::string_view(bytes)) {}

  constexpr void Add(char c) {
    const auto b = static_cast<unsigned char>(c);
    bits_[b >> 6] |= std::uint64_t{1} << (b & 63);
  }
  constexpr bool Contains(char c) const {
    const auto b = static_cast<unsigned char>(c);
    return ((bits_[b >> 6] >> (b & 63)) & 1) != 0;
  }

 private:
  std::array<std::uint64_t, 4> bits_{};
};

// Number of words in `text`.
int CountDelimitedWords(std::string_view text, const DelimiterSet& delimiters);

// Position of the first byte of word `n` (from 1); 0 when there is none.
std::size_t DelimitedWordStart(int n, std::string_view text, const DelimiterSet& delimiters);

// Word `n` (from 1); empty when there is none.
std::string GetDelimitedWord(int n, std::string_view text, const DelimiterSet& delimiters);

// Whether `word` equals one of the words of `list`: exactly with
// `caseSensitive`, otherwise ignoring case by the locale. An empty word is
// never in a list (lists hold no empty words).
bool IsWordInList(std::string_view word, std::string_view list, const DelimiterSet& delimiters,
                  bool caseSensitive);

}  // namespace cv
