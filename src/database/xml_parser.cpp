// The reader: one pass over the bytes with a small state machine. Its
// transitions and the position each error reports are kept exactly, because
// package authors locate their mistakes by those messages and documents
// written by earlier tools must keep reading the same way.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "database/xml_blanks.h"
#include "database/xml_tag.h"
#include "platform/case_map.h"
#include "platform/xml_escape.h"

namespace cv {
namespace {

constexpr char kInvalidTagName[] = "Invalid character in the tag name.";
constexpr char kRightAngleExpected[] = "Right angle bracket (\">\") expected.";
constexpr char kAttributeNameExpected[] = "Attribute name expected.";
constexpr char kInvalidAttributeName[] = "Invalid character in the attribute name.";
constexpr char kEqualsExpected[] = "Equals sign (\"=\") expected between attribute name and value.";
constexpr char kQuoteExpected[] = "Opening quote character (single or double) expected.";
constexpr char kSpaceOrCloseExpected[] = "White space or tag closing expected.";
constexpr char kDoubleHyphenExpected[] = "Double-hyphen (\"--\") expected.";
constexpr char kSyntaxError[] = "Syntax error.";

std::string EndTagMismatch(std::string_view endName, std::string_view startName) {
  return "End tag \"" + std::string(endName) + "\" does not match the start tag \"" +
         std::string(startName) + "\".";
}

// A document that starts with an end tag has nothing to close.
std::string EndTagWithoutStart(std::string_view endName) {
  return "End tag \"" + std::string(endName) + "\" has no start tag.";
}

std::string TooLarge() {
  return "The XML text is larger than " + std::to_string(kXmlMaxTextSize) + " bytes.";
}

std::string TooDeep() {
  return "Elements are nested more than " + std::to_string(kXmlMaxDepth) + " levels deep.";
}

std::string TooManyNodes() {
  return "The XML text has more than " + std::to_string(kXmlMaxNodes) + " nodes.";
}

// Raises `description` for the byte at `errorPos` (0-based) of `text`, with its
// 1-based line and column: LF starts a line, CR is not counted.
[[noreturn]] void Fail(std::string_view text, std::size_t errorPos,
                       const std::string& description) {
  long long line = 1;
  long long column = 0;
  for (std::size_t i = 0; i < errorPos; ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 0;
    } else if (text[i] != '\r') {
      ++column;
    }
  }
  ++column;
  throw TXMLParserError(description + " Line " + std::to_string(line) + ", position " +
                        std::to_string(column) + ".");
}

bool IsNameChar(char c) {
  return c == '-' || c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
         (c >= 'a' && c <= 'z');
}

}  // namespace

class XmlParser {
 public:
  XmlParser(TXMLTag& root, std::string_view text) : root_(root), text_(text) {}

  void Run() {
    if (text_.size() > kXmlMaxTextSize) Fail(text_, kXmlMaxTextSize, TooLarge());
    char previous = '\0';
    for (pos_ = 0; pos_ < text_.size() && !finished_; ++pos_) {
      const char raw = text_[pos_];
      if (raw == '\n') {
        ++line_;
        column_ = 0;
      } else if (raw != '\r') {
        ++column_;
      }
      // TAB and line breaks are tested as spaces, and a space after a space
      // is skipped, except inside attribute values and comments.
      const char test = (raw == '\t' || raw == '\n' || raw == '\r') ? ' ' : raw;
      // A byte handed on to another state goes round again; a space handed
      // on is then swallowed like any second space, which is what lets
      // "</a >" and "b = 'v'" through.
      for (;;) {
        const bool keepsRuns = state_ == State::Value || state_ == State::CommentBody;
        if (previous == ' ' && test == ' ' && !keepsRuns) break;
        const bool again = Handle(test, raw);
        previous = test;
        if (!again || finished_) break;
      }
    }
  }

 private:
  enum class State : std::uint8_t {
    Content,           // text between tags
    AfterOpen,         // after "<"
    ElementName,       // in a start tag's name
    EndTagName,        // after "</"
    CloseExpected,     // expects the ">" of an end tag or of "/>"
    AttributeName,     // after a start tag's name or an attribute
    EqualsExpected,    // after an attribute's name
    QuoteExpected,     // after "="
    Value,             // inside quotes
    AfterValue,        // after the closing quote
    AfterBang,         // after "<!"
    AfterBangHyphen,   // after "<!-"
    CommentBody,       // after "<!--"
    AfterCommentEnd,   // after the "--" that ends a comment
    Instruction,       // after "<?"
    AfterInstruction,  // expects the ">" of "?>"
  };

  // Handles one byte in the current state; true when the same byte is to be
  // handled again in the state it moved to.
  bool Handle(char test, char raw) {
    switch (state_) {
      case State::Content:
        if (test == '<') {
          // Every "<" inside an element closes a text node, even an empty one.
          if (current_) AddLeaf(XmlKind::xkText, std::string(TrimXmlBlanks(text_buffer_)));
          text_buffer_.clear();
          state_ = State::AfterOpen;
        } else {
          text_buffer_ += test;
        }
        return false;

      case State::AfterOpen:
        if (test == '!') {
          state_ = State::AfterBang;
        } else if (test == '/') {
          end_name_.clear();
          state_ = State::EndTagName;
        } else if (test == '?') {
          state_ = State::Instruction;
        } else if (IsNameChar(test)) {
          OpenElement(test);
          state_ = State::ElementName;
        } else {
          Fail(text_, pos_, kInvalidTagName);
        }
        return false;

      case State::ElementName:
        if (test == ' ') {
          attribute_name_.clear();
          state_ = State::AttributeName;
        } else if (test == '/') {
          end_name_ = current_->name_;
          state_ = State::CloseExpected;
        } else if (test == '>') {
          state_ = State::Content;
        } else if (IsNameChar(test)) {
          current_->name_ += LowerAscii(test);
        } else {
          Fail(text_, pos_, kInvalidTagName);
        }
        return false;

      case State::EndTagName:
        if (IsNameChar(test)) {
          end_name_ += test;
          return false;
        }
        state_ = State::CloseExpected;
        return true;

      case State::CloseExpected:
        if (test != '>') Fail(text_, pos_, kRightAngleExpected);
        CloseElement();
        return false;

      case State::AttributeName:
        if (test == ' ' || test == '=') {
          if (attribute_name_.empty()) Fail(text_, pos_, kAttributeNameExpected);
          state_ = State::EqualsExpected;
          return true;
        }
        if (test == '/') {
          end_name_ = current_->name_;
          state_ = State::CloseExpected;
        } else if (test == '>') {
          state_ = State::Content;  // a name without "=" and value is dropped
        } else if (IsNameChar(test)) {
          attribute_name_ += test;
        } else {
          Fail(text_, pos_, kInvalidAttributeName);
        }
        return false;

      case State::EqualsExpected:
        if (test == '=') {
          state_ = State::QuoteExpected;
        } else if (test != ' ') {
          Fail(text_, pos_, kEqualsExpected);
        }
        return false;

      case State::QuoteExpected:
        if (test == '"' || test == '\'') {
          quote_ = test;
          value_.clear();
          state_ = State::Value;
        } else if (test != ' ') {
          Fail(text_, pos_, kQuoteExpected);
        }
        return false;

      case State::Value:
        if (test == quote_) {
          current_->Attributes.push_back(attribute_name_ + "=" + UnescapeChars(value_));
          state_ = State::AfterValue;
        } else {
          value_ += test;
        }
        return false;

      case State::AfterValue:
        if (test == ' ') {
          attribute_name_.clear();
          state_ = State::AttributeName;
        } else if (test == '/') {
          end_name_ = current_->name_;
          state_ = State::CloseExpected;
        } else if (test == '>') {
          state_ = State::Content;
        } else {
          Fail(text_, pos_, kSpaceOrCloseExpected);
        }
        return false;

      case State::AfterBang:
        if (test != '-') Fail(text_, pos_ - 1, kSyntaxError);
        state_ = State::AfterBangHyphen;
        return false;

      case State::AfterBangHyphen:
        if (test != '-') Fail(text_, pos_ - 1, kDoubleHyphenExpected);
        hyphens_ = 0;
        text_buffer_.clear();
        state_ = State::CommentBody;
        return false;

      case State::CommentBody:
        // Comments keep their bytes as read: line breaks and runs of blanks.
        if (raw == '-') {
          if (++hyphens_ == 2) state_ = State::AfterCommentEnd;
        } else {
          hyphens_ = 0;
        }
        text_buffer_ += raw;
        return false;

      case State::AfterCommentEnd:
        if (test != '>') Fail(text_, pos_, kRightAngleExpected);
        if (current_) {
          AddLeaf(XmlKind::xkComment, text_buffer_.substr(0, text_buffer_.size() - 2));
        }
        text_buffer_.clear();
        state_ = State::Content;
        return false;

      case State::Instruction:
        if (test == '?') state_ = State::AfterInstruction;
        return false;

      case State::AfterInstruction:
        if (test != '>') Fail(text_, pos_, kRightAngleExpected);
        state_ = State::Content;
        return false;
    }
    return false;
  }

  void CountNode() {
    if (nodes_ == kXmlMaxNodes) Fail(text_, pos_, TooManyNodes());
    ++nodes_;
  }

  // The first element of the document is the tag being parsed; later ones
  // are children of the current element.
  void OpenElement(char firstChar) {
    CountNode();
    if (!current_) {
      root_.name_.assign(1, LowerAscii(firstChar));
      current_ = &root_;
      depth_ = 1;
      return;
    }
    if (depth_ == kXmlMaxDepth) Fail(text_, pos_, TooDeep());
    auto element = std::make_unique<TXMLTag>();
    element->name_.assign(1, LowerAscii(firstChar));
    element->Column = static_cast<std::int32_t>(column_ - 1);
    element->Line = static_cast<std::int32_t>(line_);
    TXMLTag* opened = element.get();
    current_->children_.Add(std::move(element));
    current_ = opened;
    ++depth_;
  }

  void AddLeaf(XmlKind kind, std::string text) {
    CountNode();
    auto leaf = std::make_unique<TXMLTag>();
    leaf->Kind = kind;
    leaf->Text = std::move(text);
    current_->children_.Add(std::move(leaf));
  }

  // At the ">" of an end tag or of "/>"; `end_name_` names what it closes.
  void CloseElement() {
    // The error points at the end tag's name: the ">" minus the name's length.
    const std::size_t namePos = pos_ - end_name_.size();
    if (!current_) Fail(text_, namePos, EndTagWithoutStart(end_name_));
    if (!SameAsciiNoCase(end_name_, current_->name_)) {
      Fail(text_, namePos, EndTagMismatch(end_name_, current_->name_));
    }
    // Closing the tag being parsed ends the document; the rest is ignored.
    // (Compared by identity: the tag may itself sit inside a larger tree.)
    if (current_ == &root_) {
      finished_ = true;
      return;
    }
    current_ = current_->parent_;
    --depth_;
    state_ = State::Content;
  }

  TXMLTag& root_;
  const std::string_view text_;
  std::size_t pos_ = 0;
  State state_ = State::Content;
  bool finished_ = false;
  TXMLTag* current_ = nullptr;  // not owned: a node of root_'s tree
  int depth_ = 0;
  std::int64_t nodes_ = 0;
  long long line_ = 1;  // of the byte at pos_
  long long column_ = 0;
  std::string text_buffer_;
  std::string end_name_;
  std::string attribute_name_;
  std::string value_;
  char quote_ = '"';
  int hyphens_ = 0;
};

void TXMLTag::Parse(std::string_view text) {
  Clear();
  XmlParser(*this, text).Run();
}

}  // namespace cv
