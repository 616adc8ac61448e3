#pragma once
// The system's own XML dialect: a tree of tags read by a single-pass byte
// state machine and written back with TAB indentation and CR LF line ends.
// Elements, attributes, text and comments; processing instructions are
// skipped; no DOCTYPE, CDATA, namespaces, named entities or encodings. Text is
// single bytes in the ANSI code page.
//
// Limits (each reported as TXMLParserError with the usual line and position):
// no project document comes near them, and they keep a hostile or corrupt one
// from exhausting the stack, the memory or the 32-bit line/column counters.
// Building, copying, writing and destroying trees never recurses, so trees
// assembled in code may be deeper than the parser accepts.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error.h"

namespace cv {

// Element levels, the root being level 1. Consumers that walk a parsed tree
// recursively (object binding) stay well inside a 1 MB stack, and the
// indentation of the written form (one TAB per level) stays bounded.
inline constexpr int kXmlMaxDepth = 1000;
// Bytes of input text; keeps every line and column in 32 bits.
inline constexpr std::size_t kXmlMaxTextSize = std::size_t{256} * 1024 * 1024;
// Nodes of one parsed tree, the root included: a project document has one
// node per 50 bytes or so, and a node with empty strings takes about 170 bytes
// on a 64-bit build (100 on 32-bit), so no input can make more than a few
// hundred MB of nodes (their texts are bounded by the input's size).
inline constexpr std::int64_t kXmlMaxNodes = std::int64_t{1} << 21;

enum class XmlKind : std::uint8_t {
  xkElement = 0,
  xkText = 1,
  xkComment = 2,
};

// Malformed XML; the message ends with " Line %d, position %d.".
class TXMLParserError : public Error {
 public:
  using Error::Error;
};

class TXMLTag;

// The children of one element, in document order. Owns its tags; adding a
// tag makes the list's owner its parent.
class TXMLTagList {
 public:
  explicit TXMLTagList(TXMLTag* owner) : owner_(owner) {}
  TXMLTagList(const TXMLTagList&) = delete;
  TXMLTagList& operator=(const TXMLTagList&) = delete;
  ~TXMLTagList() { Clear(); }

  int Count() const { return static_cast<int>(items_.size()); }
  TXMLTag* Items(int index) const { return items_[static_cast<std::size_t>(index)].get(); }
  // Takes the tag; returns its index.
  int Add(std::unique_ptr<TXMLTag> tag);
  // Frees every tag and everything below it, without recursion.
  void Clear();
  TXMLTag* Owner() const { return owner_; }

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  friend class TXMLTag;
  // Moves every tag of `other` to the end of this list.
  void TakeAll(TXMLTagList& other);

  TXMLTag* owner_;  // not owned
  std::vector<std::unique_ptr<TXMLTag>> items_;
};

class TXMLTag {
 public:
  TXMLTag() = default;
  TXMLTag(const TXMLTag&) = delete;
  TXMLTag& operator=(const TXMLTag&) = delete;

  XmlKind Kind = XmlKind::xkElement;
  // One line per attribute in document order: name "=" decoded value. Names
  // keep the document's letter case; duplicates stay. XmlAttributeName and
  // XmlAttributeValue split a line at its first "=".
  std::vector<std::string> Attributes;
  std::string Text;         // content of a text or comment node
  std::int32_t Column = 0;  // of the "<" that opened the element; 0 for the root
  std::int32_t Line = 0;

  TXMLTag* Parent() const { return parent_; }
  TXMLTagList& Children() { return children_; }
  const TXMLTagList& Children() const { return children_; }

  const std::string& Name() const { return name_; }
  // Stored with A-Z lowered (names are ASCII).
  void SetName(std::string_view value);

  // Empties name, text, attributes and children and makes this an element;
  // Parent, Column and Line stay.
  void Clear();

  // Clears the tag and reads `text` into it: the document's first element
  // becomes this tag, everything inside it its children. Reading stops after
  // that element's end tag; a document that stops early is not an error.
  // Throws TXMLParserError on malformed input or beyond the limits above (the
  // tag is then partly filled and should be discarded).
  void Parse(std::string_view text);

  // This node and everything below it as text, indented `level` TABs.
  std::string GetXML(int level) const;
  std::string AsXML() const { return GetXML(0); }
  // The attribute part of a start tag: name="value" pairs separated by one
  // space, values escaped, each quoted with " unless it holds a ".
  std::string AttributesText() const;

  // True when the file exists, was read completely and parsed (parse errors
  // propagate as TXMLParserError).
  bool LoadFromFile(const std::string& fileName);
  // False when the tag has no name or the file cannot be written completely.
  bool SaveToFile(const std::string& fileName) const;

  // Copies kind, name, text, attributes and the whole subtree (positions are
  // not copied). `source` may be this tag, one of its descendants or one of
  // its ancestors.
  void Assign(const TXMLTag& source);

 private:
  friend class TXMLTagList;
  friend class XmlParser;
  TXMLTag* parent_ = nullptr;  // not owned
  std::string name_;
  TXMLTagList children_{this};
};

// The parts of an attribute line: before its first "=" (the whole line when
// there is none) and after it (empty when there is none).
std::string_view XmlAttributeName(std::string_view line);
std::string_view XmlAttributeValue(std::string_view line);

}  // namespace cv
