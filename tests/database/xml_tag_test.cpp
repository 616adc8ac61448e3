#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "database/xml_tag.h"

namespace cv {
namespace {

TEST(XmlTag, StartsAsAnEmptyElement) {
  TXMLTag tag;
  EXPECT_EQ(tag.Kind, XmlKind::xkElement);
  EXPECT_EQ(tag.Name(), "");
  EXPECT_EQ(tag.Text, "");
  EXPECT_TRUE(tag.Attributes.empty());
  EXPECT_EQ(tag.Children().Count(), 0);
  EXPECT_EQ(tag.Parent(), nullptr);
  EXPECT_EQ(tag.Column, 0);
  EXPECT_EQ(tag.Line, 0);
}

TEST(XmlTag, SetNameLowersAsciiLettersOnly) {
  TXMLTag tag;
  tag.SetName("MixedCase-Name_9");
  EXPECT_EQ(tag.Name(), "mixedcase-name_9");
  tag.SetName("\xC9T\xC9");
  EXPECT_EQ(tag.Name(), "\xC9t\xC9");
}

TEST(XmlTagList, AddSetsTheParentAndReturnsTheIndex) {
  TXMLTag parent;
  auto first = std::make_unique<TXMLTag>();
  auto second = std::make_unique<TXMLTag>();
  TXMLTag* firstRaw = first.get();
  TXMLTag* secondRaw = second.get();
  EXPECT_EQ(parent.Children().Add(std::move(first)), 0);
  EXPECT_EQ(parent.Children().Add(std::move(second)), 1);
  EXPECT_EQ(parent.Children().Count(), 2);
  EXPECT_EQ(parent.Children().Items(0), firstRaw);
  EXPECT_EQ(parent.Children().Items(1), secondRaw);
  EXPECT_EQ(firstRaw->Parent(), &parent);
  EXPECT_EQ(secondRaw->Parent(), &parent);
}

TEST(XmlTagList, ClearFreesEveryNode) {
  TXMLTag parent;
  parent.Parse("<a><b><c/></b><d/></a>");
  parent.Children().Clear();
  EXPECT_EQ(parent.Children().Count(), 0);
}

TEST(XmlTag, ClearKeepsParentAndPosition) {
  TXMLTag outer;
  outer.Parse("<outer>\n <inner a='1'>x<y/></inner></outer>");
  TXMLTag& inner = *outer.Children().Items(1);
  inner.Kind = XmlKind::xkComment;
  inner.Text = "t";
  inner.Clear();
  EXPECT_EQ(inner.Kind, XmlKind::xkElement);
  EXPECT_EQ(inner.Name(), "");
  EXPECT_EQ(inner.Text, "");
  EXPECT_TRUE(inner.Attributes.empty());
  EXPECT_EQ(inner.Children().Count(), 0);
  EXPECT_EQ(inner.Parent(), &outer);
  EXPECT_EQ(inner.Line, 2);
  EXPECT_EQ(inner.Column, 2);
}

TEST(XmlTagAssign, CopiesNamesAttributesAndTheWholeSubtree) {
  TXMLTag source;
  source.Parse("<a x='1' X='2'><b y='3'><c/></b><d/></a>");
  TXMLTag copy;
  copy.Assign(source);
  EXPECT_EQ(copy.Name(), "a");
  EXPECT_EQ(copy.Attributes, (std::vector<std::string>{"x=1", "X=2"}));
  ASSERT_EQ(copy.Children().Count(), 5);
  const TXMLTag& b = *copy.Children().Items(1);
  EXPECT_EQ(b.Name(), "b");
  EXPECT_EQ(b.Attributes, (std::vector<std::string>{"y=3"}));
  EXPECT_EQ(b.Parent(), &copy);
  ASSERT_EQ(b.Children().Count(), 3);
  EXPECT_EQ(b.Children().Items(1)->Name(), "c");
  EXPECT_EQ(b.Children().Items(1)->Parent(), &b);
  EXPECT_EQ(copy.Children().Items(3)->Name(), "d");
  EXPECT_NE(&b, source.Children().Items(1));
}

TEST(XmlTagAssign, CopiesTextAndCommentNodes) {
  TXMLTag source;
  source.Parse("<a>text<!--note--><b>inner</b></a>");
  TXMLTag copy;
  copy.Assign(source);
  ASSERT_EQ(copy.Children().Count(), 5);
  EXPECT_EQ(copy.Children().Items(0)->Kind, XmlKind::xkText);
  EXPECT_EQ(copy.Children().Items(0)->Text, "text");
  EXPECT_EQ(copy.Children().Items(1)->Kind, XmlKind::xkComment);
  EXPECT_EQ(copy.Children().Items(1)->Text, "note");
  EXPECT_EQ(copy.Children().Items(3)->Name(), "b");
  EXPECT_EQ(copy.Children().Items(3)->Children().Items(0)->Text, "inner");
  EXPECT_EQ(copy.GetXML(0), source.GetXML(0));
  // A text node copied alone stays a text node.
  TXMLTag text;
  text.Assign(*source.Children().Items(0));
  EXPECT_EQ(text.Kind, XmlKind::xkText);
  EXPECT_EQ(text.Text, "text");
}

TEST(XmlTagAssign, PositionsAreNotCopied) {
  TXMLTag source;
  source.Parse("<a>\n  <b/>\n</a>");
  TXMLTag outer;
  outer.Parse("<o>\n\n    <target/></o>");
  TXMLTag& target = *outer.Children().Items(1);
  target.Assign(*source.Children().Items(1));
  EXPECT_EQ(target.Name(), "b");
  EXPECT_EQ(target.Line, 3);
  EXPECT_EQ(target.Column, 5);
  EXPECT_EQ(target.Parent(), &outer);

  TXMLTag copy;
  copy.Assign(source);
  EXPECT_EQ(copy.Children().Items(1)->Line, 0);
  EXPECT_EQ(copy.Children().Items(1)->Column, 0);
}

TEST(XmlTagAssign, ReplacesWhatTheTargetHeldAndItsKind) {
  TXMLTag target;
  target.Parse("<old z='9'><gone/></old>");
  target.Kind = XmlKind::xkText;
  target.Text = "stale";
  TXMLTag source;
  source.Parse("<new/>");
  target.Assign(source);
  EXPECT_EQ(target.Kind, XmlKind::xkElement);
  EXPECT_EQ(target.Text, "");
  EXPECT_EQ(target.GetXML(0), "<new/>\r\n");
}

TEST(XmlTagAssign, FromItselfKeepsWhatIsWritten) {
  TXMLTag tag;
  tag.Parse("<a k='v'><b/></a>");
  tag.Assign(tag);
  EXPECT_EQ(tag.GetXML(0), "<a k=\"v\">\r\n\t<b/>\r\n</a>\r\n");
}

TEST(XmlTagAssign, FromADescendantOrFromTheParent) {
  TXMLTag tag;
  tag.Parse("<a><b x='1'><c/></b></a>");
  tag.Assign(*tag.Children().Items(1));
  EXPECT_EQ(tag.GetXML(0), "<b x=\"1\">\r\n\t<c/>\r\n</b>\r\n");

  TXMLTag outer;
  outer.Parse("<o><i/></o>");
  TXMLTag& inner = *outer.Children().Items(1);
  inner.Assign(outer);
  EXPECT_EQ(inner.Parent(), &outer);
  EXPECT_EQ(outer.GetXML(0), "<o>\r\n\t<o>\r\n\t\t<i/>\r\n\t</o>\r\n</o>\r\n");
}

TEST(XmlAttributeLine, SplitsAtTheFirstEquals) {
  EXPECT_EQ(XmlAttributeName("a=b=c"), "a");
  EXPECT_EQ(XmlAttributeValue("a=b=c"), "b=c");
  EXPECT_EQ(XmlAttributeName("flag"), "flag");
  EXPECT_EQ(XmlAttributeValue("flag"), "");
  EXPECT_EQ(XmlAttributeName("=v"), "");
  EXPECT_EQ(XmlAttributeValue("=v"), "v");
  EXPECT_EQ(XmlAttributeValue("e="), "");
}

}  // namespace
}  // namespace cv
