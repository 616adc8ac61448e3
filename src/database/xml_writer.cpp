// The writer: TAB indentation, CR LF line ends, no XML declaration. Text and
// comment nodes are written as they are, neither indented nor escaped; only
// attribute values are escaped.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "database/xml_blanks.h"
#include "database/xml_tag.h"
#include "platform/xml_escape.h"

namespace cv {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

void AppendIndent(std::string& out, int level) {
  if (level > 0) out.append(static_cast<std::size_t>(level), '\t');
}

// "<name attributes" without trailing blanks: "<name" when there are none.
void AppendHead(std::string& out, const TXMLTag& element) {
  std::string head = "<" + element.Name() + " " + element.AttributesText();
  out += TrimXmlBlanksRight(head);
}

// Text and comment nodes: one line, or nothing when blank.
void AppendLeaf(std::string& out, const TXMLTag& leaf) {
  if (TrimXmlBlanks(leaf.Text).empty()) return;
  if (leaf.Kind == XmlKind::xkComment) {
    out += "<!--";
    out += leaf.Text;
    out += "-->";
  } else {
    out += leaf.Text;
  }
  out += kLineEnd;
}

}  // namespace

std::string TXMLTag::AttributesText() const {
  std::string out;
  for (const std::string& line : Attributes) {
    const std::string_view value = XmlAttributeValue(line);
    const char quote = value.find('"') == std::string_view::npos ? '"' : '\'';
    out += XmlAttributeName(line);
    out += '=';
    out += quote;
    out += EscapeChars(value, std::string_view(&quote, 1));
    out += quote;
    out += ' ';
  }
  return std::string(TrimXmlBlanks(out));
}

std::string TXMLTag::GetXML(int level) const {
  // Depth-first with an explicit stack: trees built in code have no depth
  // limit. A frame stands for an element whose start tag is written and
  // whose children from `next` on are still to come.
  struct Frame {
    const TXMLTag* element;
    int level;
    int next;
  };
  std::string out;
  std::vector<Frame> open;

  // Writes `node` whole, or its start tag when it has children (then the
  // caller's stack takes it).
  const auto start = [&out, &open](const TXMLTag& node, int nodeLevel) {
    if (node.Kind != XmlKind::xkElement) {
      AppendLeaf(out, node);
      return;
    }
    if (node.Name().empty()) return;  // nor its children
    AppendIndent(out, nodeLevel);
    AppendHead(out, node);
    if (node.Children().Count() == 0) {
      out += "/>";
      out += kLineEnd;
      return;
    }
    out += '>';
    out += kLineEnd;
    open.push_back({&node, nodeLevel, 0});
  };

  start(*this, level);
  while (!open.empty()) {
    Frame& frame = open.back();
    if (frame.next < frame.element->Children().Count()) {
      const TXMLTag& child = *frame.element->Children().Items(frame.next++);
      start(child, frame.level + 1);  // may grow `open`: `frame` is not used after
      continue;
    }
    AppendIndent(out, frame.level);
    out += "</";
    out += frame.element->Name();
    out += '>';
    out += kLineEnd;
    open.pop_back();
  }
  return out;
}

}  // namespace cv
