// Documents beyond the reader's limits are refused with a message; trees of
// any depth built in code are copied, written and freed without recursion.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "database/xml_tag.h"
#include "xml_test_support.h"

namespace cv {
namespace {

using test::ParseErrorOf;

std::string Repeated(const std::string& piece, std::size_t times) {
  std::string out;
  out.reserve(piece.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += piece;
  return out;
}

// A chain of `depth` elements named "a", each the only child of the one above.
std::unique_ptr<TXMLTag> Chain(int depth) {
  auto root = std::make_unique<TXMLTag>();
  root->SetName("a");
  TXMLTag* last = root.get();
  for (int i = 1; i < depth; ++i) {
    auto child = std::make_unique<TXMLTag>();
    child->SetName("a");
    TXMLTag* next = child.get();
    last->Children().Add(std::move(child));
    last = next;
  }
  return root;
}

int DepthOf(const TXMLTag& root) {
  int depth = 1;
  const TXMLTag* tag = &root;
  while (tag->Children().Count() > 0) {
    tag = tag->Children().Items(0);
    ++depth;
  }
  return depth;
}

TEST(XmlLimits, AThousandLevelsAreRead) {
  const std::string document = Repeated("<a>", 1000) + Repeated("</a>", 1000);
  TXMLTag tag;
  ASSERT_NO_THROW(tag.Parse(document));
  // Each level holds its child between two empty text nodes.
  int depth = 1;
  const TXMLTag* level = &tag;
  while (level->Children().Count() == 3) {
    level = level->Children().Items(1);
    ++depth;
  }
  EXPECT_EQ(depth, 1000);
}

TEST(XmlLimits, TheThousandAndFirstLevelIsRefused) {
  EXPECT_EQ(ParseErrorOf(Repeated("<a>", 1001)),
            "Elements are nested more than 1000 levels deep. Line 1, position 3002.");
  EXPECT_EQ(ParseErrorOf("<r>\n" + Repeated("<a>", 999) + "<b/>"),
            "Elements are nested more than 1000 levels deep. Line 2, position 2999.");
}

TEST(XmlLimits, DepthIsCountedDownAgainWhenElementsClose) {
  const std::string deep = Repeated("<a>", 999) + Repeated("</a>", 999);
  TXMLTag tag;
  EXPECT_NO_THROW(tag.Parse("<r>" + deep + deep + Repeated("<a/>", 3) + "</r>"));
}

TEST(XmlLimits, TheDeepestDocumentRoundTrips) {
  TXMLTag tag;
  tag.Parse(Repeated("<a x='1'>", 999) + "<b/>");
  const std::string first = tag.GetXML(0);
  TXMLTag again;
  again.Parse(first);
  EXPECT_EQ(again.GetXML(0), first);
}

TEST(XmlLimits, TextLargerThanTheLimitIsRefusedBeforeReading) {
  std::string text = "<a>";
  text.resize(std::size_t{256} * 1024 * 1024 + 1, 'x');
  EXPECT_EQ(ParseErrorOf(text),
            "The XML text is larger than 268435456 bytes. Line 1, position 268435457.");
}

TEST(XmlLimits, TextOfExactlyTheLimitIsRead) {
  std::string text = "<a/>";
  text.resize(std::size_t{256} * 1024 * 1024, 'x');
  TXMLTag tag;
  EXPECT_NO_THROW(tag.Parse(text));
  EXPECT_EQ(tag.Name(), "a");
}

TEST(XmlLimits, NodesBeyondTheLimitAreRefused) {
  // The root, then an empty text node and an element for each "<a/>": the
  // last "<a/>" would make node 2097153, so every node before it was taken.
  const std::size_t children = std::size_t{2097152} / 2;
  EXPECT_EQ(ParseErrorOf("<r>" + Repeated("<a/>", children) + "</r>"),
            "The XML text has more than 2097152 nodes. Line 1, position 4194305.");
}

TEST(XmlLimits, DeepTreesBuiltInCodeAreCopiedAndFreedWithoutRecursion) {
  constexpr int kDepth = 300000;
  auto original = Chain(kDepth);
  auto copy = std::make_unique<TXMLTag>();
  copy->Assign(*original);
  EXPECT_EQ(DepthOf(*copy), kDepth);
  original.reset();
  copy->Children().Clear();
  EXPECT_EQ(DepthOf(*copy), 1);
  copy = Chain(kDepth);
  copy.reset();
}

TEST(XmlLimits, DeepTreesBuiltInCodeAreWrittenWithoutRecursion) {
  constexpr int kDepth = 5000;
  const auto chain = Chain(kDepth);
  const std::string xml = chain->GetXML(0);
  EXPECT_EQ(xml.substr(0, 10), "<a>\r\n\t<a>\r");
  EXPECT_EQ(xml.substr(xml.size() - 13), "\t</a>\r\n</a>\r\n");
  std::size_t lines = 0;
  for (std::size_t at = xml.find("\r\n"); at != std::string::npos; at = xml.find("\r\n", at + 2)) {
    ++lines;
  }
  EXPECT_EQ(lines, std::size_t{2 * kDepth - 1});
  const std::string deepest = std::string(kDepth - 1, '\t') + "<a/>\r\n";
  EXPECT_NE(xml.find("\n" + deepest), std::string::npos);
}

}  // namespace
}  // namespace cv
