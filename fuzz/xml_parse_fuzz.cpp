// Any bytes either parse or raise TXMLParserError with a line and position
// inside the input; nothing else may happen (crash, leak, sanitizer report,
// other exception). What parses must write text that parses again and writes
// the same text (unless text nodes merge, see HasTextThatMerges), elements
// must point at a "<" of the input, and copies must write alike.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "database/xml_tag.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "xml_parse_fuzz: %s\n", what);
  std::abort();
}

// Line and column (as the reader counts them: LF starts a line, CR takes no
// column) of every "<" in the input.
std::map<std::pair<long, long>, bool> LessThanPositions(std::string_view text) {
  std::map<std::pair<long, long>, bool> positions;
  long line = 1;
  long column = 0;
  for (const char c : text) {
    if (c == '\n') {
      ++line;
      column = 0;
    } else if (c != '\r') {
      ++column;
    }
    if (c == '<') positions[{line, column}] = true;
  }
  return positions;
}

void CheckElementPositions(const cv::TXMLTag& root, std::string_view text) {
  const auto positions = LessThanPositions(text);
  std::vector<const cv::TXMLTag*> pending{&root};
  while (!pending.empty()) {
    const cv::TXMLTag* tag = pending.back();
    pending.pop_back();
    for (const auto& child : tag->Children()) {
      if (child->Parent() != tag) Fail("a child does not point to its parent");
      if (child->Kind == cv::XmlKind::xkElement) {
        if (!positions.count({child->Line, child->Column})) {
          Fail("an element's line and column are not those of a \"<\"");
        }
      } else if (child->Line != 0 || child->Column != 0 || child->Children().Count() != 0) {
        Fail("a text or comment node has a position or children");
      }
      pending.push_back(child.get());
    }
  }
}

// " Line L, position C." must end the message, with L within the input.
void CheckErrorMessage(const std::string& message, std::string_view text) {
  const std::size_t at = message.rfind(" Line ");
  long line = 0;
  long column = 0;
  if (at == std::string::npos ||
      std::sscanf(message.c_str() + at, " Line %ld, position %ld.", &line, &column) != 2 ||
      message.back() != '.') {
    Fail("an error message without its line and position");
  }
  long lines = 1;
  for (const char c : text) lines += c == '\n';
  if (line < 1 || line > lines || column < 1) Fail("an error outside the input");
}

std::string Written(std::string_view text) {
  cv::TXMLTag tag;
  try {
    tag.Parse(text);
  } catch (const cv::TXMLParserError&) {
    Fail("written text does not parse");
  }
  return tag.GetXML(0);
}

bool IsBlank(const std::string& text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) > 32) return false;
  }
  return true;
}

// Whether two text nodes that are written are separated only by nodes that
// are not (blank text, blank comments): the writer puts them on consecutive
// lines, which read back as one text node. Instructions between text nodes
// are dropped by the reader already, with the same effect.
bool HasTextThatMerges(const cv::TXMLTag& root) {
  std::vector<const cv::TXMLTag*> pending{&root};
  while (!pending.empty()) {
    const cv::TXMLTag* tag = pending.back();
    pending.pop_back();
    bool lastWrittenIsText = false;
    for (const auto& child : tag->Children()) {
      if (child->Kind == cv::XmlKind::xkElement) {
        lastWrittenIsText = false;
        pending.push_back(child.get());
      } else if (!IsBlank(child->Text)) {
        const bool isText = child->Kind == cv::XmlKind::xkText;
        if (isText && lastWrittenIsText) return true;
        lastWrittenIsText = isText;
      }
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  cv::TXMLTag tag;
  try {
    tag.Parse(text);
  } catch (const cv::TXMLParserError& error) {
    CheckErrorMessage(error.what(), text);
    return 0;
  }
  CheckElementPositions(tag, text);

  // A copy leaves out text and comments; a copy of the copy leaves out nothing.
  cv::TXMLTag copy;
  copy.Assign(tag);
  cv::TXMLTag copyOfCopy;
  copyOfCopy.Assign(copy);
  if (copyOfCopy.GetXML(0) != copy.GetXML(0)) Fail("a copy of a copy writes differently");

  const std::string first = tag.GetXML(0);
  const std::string second = Written(first);
  if (second != first && !HasTextThatMerges(tag)) Fail("the second write differs from the first");
  if (Written(second) != second) Fail("writing does not settle after one round");
  return 0;
}
