#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "database/xml_tag.h"
#include "xml_test_support.h"

namespace cv {
namespace {

using test::Rewritten;

TXMLTag& AddNode(TXMLTag& parent, XmlKind kind, const std::string& name, const std::string& text) {
  auto node = std::make_unique<TXMLTag>();
  node->Kind = kind;
  node->SetName(name);
  node->Text = text;
  TXMLTag* added = node.get();
  parent.Children().Add(std::move(node));
  return *added;
}

TEST(XmlWriter, ElementWithoutChildrenIsSelfClosed) {
  EXPECT_EQ(Rewritten("<a/>"), "<a/>\r\n");
  EXPECT_EQ(Rewritten("<a b='1' c='2'/>"), "<a b=\"1\" c=\"2\"/>\r\n");
}

TEST(XmlWriter, ElementWithAnEmptyTextChildKeepsBothTags) {
  EXPECT_EQ(Rewritten("<a></a>"), "<a>\r\n</a>\r\n");
  EXPECT_EQ(Rewritten("<A X='1'>  </A>"), "<a X=\"1\">\r\n</a>\r\n");
}

TEST(XmlWriter, NestingIsIndentedWithTabsButTextAndCommentsAreNot) {
  EXPECT_EQ(Rewritten("<a><b c='1'><d/></b>some  text<!-- note --></a>"),
            "<a>\r\n"
            "\t<b c=\"1\">\r\n"
            "\t\t<d/>\r\n"
            "\t</b>\r\n"
            "some text\r\n"
            "<!-- note -->\r\n"
            "</a>\r\n");
}

TEST(XmlWriter, LevelIndentsTheWholeSubtree) {
  TXMLTag tag;
  tag.Parse("<a><b/></a>");
  EXPECT_EQ(tag.GetXML(2), "\t\t<a>\r\n\t\t\t<b/>\r\n\t\t</a>\r\n");
  EXPECT_EQ(tag.AsXML(), "<a>\r\n\t<b/>\r\n</a>\r\n");
  EXPECT_EQ(tag.Children().Items(1)->GetXML(1), "\t<b/>\r\n");
}

TEST(XmlWriter, BlankTextAndCommentNodesAreNotWritten) {
  TXMLTag tag;
  tag.SetName("a");
  AddNode(tag, XmlKind::xkText, "", " \t\r\n\v ");
  AddNode(tag, XmlKind::xkComment, "", "  ");
  AddNode(tag, XmlKind::xkText, "", "");
  EXPECT_EQ(tag.GetXML(0), "<a>\r\n</a>\r\n");
}

TEST(XmlWriter, TextAndCommentsAreWrittenAsTheyAre) {
  TXMLTag tag;
  tag.SetName("a");
  AddNode(tag, XmlKind::xkText, "", "  x < & > \"y\"\t");
  AddNode(tag, XmlKind::xkComment, "", " multi\r\nline ");
  EXPECT_EQ(tag.GetXML(1), "\t<a>\r\n  x < & > \"y\"\t\r\n<!-- multi\r\nline -->\r\n\t</a>\r\n");
}

TEST(XmlWriter, UnnamedElementsAreNotWrittenNorWhatTheyHold) {
  TXMLTag tag;
  tag.SetName("a");
  TXMLTag& unnamed = AddNode(tag, XmlKind::xkElement, "", "ignored");
  AddNode(unnamed, XmlKind::xkElement, "inner", "");
  AddNode(tag, XmlKind::xkElement, "b", "");
  EXPECT_EQ(tag.GetXML(0), "<a>\r\n\t<b/>\r\n</a>\r\n");

  TXMLTag empty;
  EXPECT_EQ(empty.GetXML(0), "");
}

TEST(XmlWriter, ATextOrCommentTagWritesItsOwnLine) {
  TXMLTag text;
  text.Kind = XmlKind::xkText;
  text.Text = "hello";
  EXPECT_EQ(text.GetXML(3), "hello\r\n");
  TXMLTag comment;
  comment.Kind = XmlKind::xkComment;
  comment.Text = "c";
  EXPECT_EQ(comment.GetXML(0), "<!--c-->\r\n");
}

TEST(XmlWriter, AttributesTextJoinsPairsWithOneSpace) {
  TXMLTag tag;
  EXPECT_EQ(tag.AttributesText(), "");
  tag.Attributes = {"b=1", "Mixed=two words", "e="};
  EXPECT_EQ(tag.AttributesText(), "b=\"1\" Mixed=\"two words\" e=\"\"");
}

TEST(XmlWriter, AttributeLinesSplitAtTheirFirstEquals) {
  TXMLTag tag;
  tag.Attributes = {"flag", "a=b=c", "=v"};
  EXPECT_EQ(tag.AttributesText(), "flag=\"\" a=\"b=c\" =\"v\"");
}

TEST(XmlWriter, QuoteIsSingleOnlyWhenTheValueHoldsADoubleQuote) {
  TXMLTag tag;
  tag.Attributes = {"b=say \"hi\""};
  EXPECT_EQ(tag.AttributesText(), "b='say \"hi\"'");
  tag.Attributes = {"b=it's \"x\""};
  EXPECT_EQ(tag.AttributesText(), "b='it&#x27;s \"x\"'");
  tag.Attributes = {"b=it's"};
  EXPECT_EQ(tag.AttributesText(), "b=\"it's\"");
}

TEST(XmlWriter, ValueBytesThatAreEscaped) {
  TXMLTag tag;
  tag.Attributes = {"v=\x01\t\r\n&\x7F\x80\xBF"};
  EXPECT_EQ(tag.AttributesText(), "v=\"&#x01;&#x09;&#x0D;&#x0A;&#x26;&#x7F;&#x80;&#xBF;\"");
  tag.Attributes = {std::string("v=a\0b", 5)};
  EXPECT_EQ(tag.AttributesText(), "v=\"a&#x00;b\"");
}

TEST(XmlWriter, ValueBytesThatAreNot) {
  TXMLTag tag;
  tag.Attributes = {"v= <>/=;#x'\xC0\xE9\xFF~ "};
  EXPECT_EQ(tag.AttributesText(), "v=\" <>/=;#x'\xC0\xE9\xFF~ \"");
}

TEST(XmlWriter, StartTagHasNoTrailingBlanks) {
  TXMLTag tag;
  tag.SetName("a");
  EXPECT_EQ(tag.GetXML(0), "<a/>\r\n");
  tag.Attributes = {"x=1"};
  EXPECT_EQ(tag.GetXML(0), "<a x=\"1\"/>\r\n");
}

TEST(XmlWriter, RoundTripIsByteIdentical) {
  const std::string document =
      "<?xml version=\"1.0\"?>\r\n"
      "<Project Name='Demo &#x26; Co' Version=\"1.2\">\r\n"
      "  <!-- generated -->\r\n"
      "  <Variables>\r\n"
      "    <Variable name='InstallPath' value='%ProgramFiles%\\Demo' quote='say \"hi\"'/>\r\n"
      "    <Variable name=\"Mixed\" value=\"it&#x27;s &#x22;x&#x22;\"/>\r\n"
      "  </Variables>\r\n"
      "  <Features><Feature id='1'>Main   program\r\n   files</Feature></Features>\r\n"
      "  <Text>tab&#x09;stays &#x41; as written</Text>\r\n"
      "  <Value v='caf\xE9 \x80&#xC3;'/>\r\n"
      "</Project>\r\n";
  const std::string first = Rewritten(document);
  EXPECT_EQ(first,
            "<project Name=\"Demo &#x26; Co\" Version=\"1.2\">\r\n"
            "<!-- generated -->\r\n"
            "\t<variables>\r\n"
            "\t\t<variable name=\"InstallPath\" value=\"%ProgramFiles%\\Demo\" "
            "quote='say \"hi\"'/>\r\n"
            "\t\t<variable name=\"Mixed\" value='it&#x27;s \"x\"'/>\r\n"
            "\t</variables>\r\n"
            "\t<features>\r\n"
            "\t\t<feature id=\"1\">\r\n"
            "Main program files\r\n"
            "\t\t</feature>\r\n"
            "\t</features>\r\n"
            "\t<text>\r\n"
            "tab&#x09;stays &#x41; as written\r\n"
            "\t</text>\r\n"
            "\t<value v=\"caf\xE9 &#x80;\xC3\"/>\r\n"
            "</project>\r\n");
  EXPECT_EQ(Rewritten(first), first);
}

TEST(XmlWriter, TextSplitByAnInstructionIsReadBackAsOneNode) {
  // Two text nodes are written on consecutive lines, and consecutive lines
  // of text are one text node when read back.
  const std::string first = Rewritten("<a>x<?skipped?>y</a>");
  EXPECT_EQ(first, "<a>\r\nx\r\ny\r\n</a>\r\n");
  EXPECT_EQ(Rewritten(first), "<a>\r\nx y\r\n</a>\r\n");
}

TEST(XmlWriter, TextAroundABlankCommentIsReadBackAsOneNode) {
  // The blank comment is not written, so the two texts meet.
  const std::string first = Rewritten("<a>x<!--  -->y</a>");
  EXPECT_EQ(first, "<a>\r\nx\r\ny\r\n</a>\r\n");
  EXPECT_EQ(Rewritten(first), "<a>\r\nx y\r\n</a>\r\n");
}

TEST(XmlWriter, AnUnclosedDocumentIsWrittenClosed) {
  EXPECT_EQ(Rewritten("<a x='1'><b><c"), "<a x=\"1\">\r\n\t<b>\r\n\t\t<c/>\r\n\t</b>\r\n</a>\r\n");
}

}  // namespace
}  // namespace cv
