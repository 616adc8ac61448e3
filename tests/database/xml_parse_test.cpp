#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "database/xml_tag.h"
#include "xml_test_support.h"

namespace cv {
namespace {

using test::ParseErrorOf;

const TXMLTag& Child(const TXMLTag& tag, int index) { return *tag.Children().Items(index); }

// "e:name", "t:text" or "c:text" for each child, in order.
std::vector<std::string> ChildSummary(const TXMLTag& tag) {
  std::vector<std::string> out;
  for (const auto& child : tag.Children()) {
    switch (child->Kind) {
      case XmlKind::xkElement: out.push_back("e:" + child->Name()); break;
      case XmlKind::xkText: out.push_back("t:" + child->Text); break;
      case XmlKind::xkComment: out.push_back("c:" + child->Text); break;
    }
  }
  return out;
}

using Summary = std::vector<std::string>;

TEST(XmlParse, SelfClosedElementHasNoChildren) {
  TXMLTag tag;
  tag.Parse("<a/>");
  EXPECT_EQ(tag.Kind, XmlKind::xkElement);
  EXPECT_EQ(tag.Name(), "a");
  EXPECT_EQ(tag.Children().Count(), 0);
  EXPECT_TRUE(tag.Attributes.empty());
}

TEST(XmlParse, EmptyElementHoldsOneEmptyTextNode) {
  TXMLTag tag;
  tag.Parse("<a></a>");
  ASSERT_EQ(tag.Children().Count(), 1);
  EXPECT_EQ(Child(tag, 0).Kind, XmlKind::xkText);
  EXPECT_EQ(Child(tag, 0).Text, "");
  EXPECT_EQ(Child(tag, 0).Name(), "");
}

TEST(XmlParse, ElementNamesAreLowerCasedAndEndTagsMatchWithoutCase) {
  TXMLTag tag;
  tag.Parse("<A>x</a>");
  EXPECT_EQ(tag.Name(), "a");
  EXPECT_EQ(ChildSummary(tag), (Summary{"t:x"}));

  tag.Parse("<Root><Item-One_2></ITEM-one_2></rOOT>");
  EXPECT_EQ(tag.Name(), "root");
  EXPECT_EQ(ChildSummary(tag), (Summary{"t:", "e:item-one_2", "t:"}));
}

TEST(XmlParse, EveryLessThanInsideAnElementClosesATextNode) {
  TXMLTag tag;
  tag.Parse("<a>one<b/>two<c></c>three<!--note-->four</a>");
  EXPECT_EQ(ChildSummary(tag),
            (Summary{"t:one", "e:b", "t:two", "e:c", "t:three", "c:note", "t:four"}));
  EXPECT_EQ(ChildSummary(Child(tag, 3)), (Summary{"t:"}));

  tag.Parse("<a>\r\n\t<b/>\r\n\t<c/>\r\n</a>");
  EXPECT_EQ(ChildSummary(tag), (Summary{"t:", "e:b", "t:", "e:c", "t:"}));
}

TEST(XmlParse, ChildrenPointToTheirParent) {
  TXMLTag tag;
  tag.Parse("<a><b><c/></b></a>");
  const TXMLTag& b = Child(tag, 1);
  const TXMLTag& c = Child(b, 1);
  EXPECT_EQ(tag.Parent(), nullptr);
  EXPECT_EQ(Child(tag, 0).Parent(), &tag);
  EXPECT_EQ(b.Parent(), &tag);
  EXPECT_EQ(c.Parent(), &b);
  EXPECT_EQ(tag.Children().Owner(), &tag);
}

TEST(XmlParse, AttributeWithoutValueIsDropped) {
  TXMLTag tag;
  tag.Parse("<a b>");
  EXPECT_EQ(tag.Name(), "a");
  EXPECT_TRUE(tag.Attributes.empty());

  tag.Parse("<a b='1' c></a>");
  EXPECT_EQ(tag.Attributes, (std::vector<std::string>{"b=1"}));
}

TEST(XmlParse, BlanksAroundTheEqualsSignAndBeforeTheEndTagsBracket) {
  TXMLTag tag;
  tag.Parse("<a b = '1'\r\n   c\t=\t\"2\"></a >");
  EXPECT_EQ(tag.Attributes, (std::vector<std::string>{"b=1", "c=2"}));
  EXPECT_EQ(ChildSummary(tag), (Summary{"t:"}));

  tag.Parse("<a><b></b\r\n></a>");
  EXPECT_EQ(ChildSummary(tag), (Summary{"t:", "e:b", "t:"}));
}

TEST(XmlParse, AttributesKeepOrderCaseAndDuplicates) {
  TXMLTag tag;
  tag.Parse("<a Zeta='1' alpha=\"2\" ALPHA='3' alpha='4' x-y_9='5'/>");
  EXPECT_EQ(tag.Attributes,
            (std::vector<std::string>{"Zeta=1", "alpha=2", "ALPHA=3", "alpha=4", "x-y_9=5"}));
}

TEST(XmlParse, AttributeValuesAreDecodedAndTrimmedOnce) {
  TXMLTag tag;
  tag.Parse("<a b='x&#x41;y' c='  v  ' d='&#x26;#x41;' e='a&#x09;b' f=\"it's\" g='say \"hi\"'/>");
  EXPECT_EQ(tag.Attributes, (std::vector<std::string>{"b=xAy", "c=v", "d=&#x41;", "e=a\tb",
                                                      "f=it's", "g=say \"hi\""}));
}

TEST(XmlParse, BreaksAndTabsInValuesBecomeSpacesAndRunsStay) {
  TXMLTag tag;
  tag.Parse("<a b='x\ty\r\nz' c='1  2' d='p\n\n\nq'/>");
  EXPECT_EQ(tag.Attributes, (std::vector<std::string>{"b=x y  z", "c=1  2", "d=p   q"}));
}

TEST(XmlParse, ValuesMayHoldAnglesEqualsAndTheOtherQuote) {
  TXMLTag tag;
  tag.Parse("<a b='<x>=\"y\"/' c=\"'\"/>");
  EXPECT_EQ(tag.Attributes, (std::vector<std::string>{"b=<x>=\"y\"/", "c='"}));
}

TEST(XmlParse, TextRunsOfBlanksCollapseToOneSpace) {
  TXMLTag tag;
  tag.Parse("<a>  x \t\r\n y\t\tz  </a>");
  EXPECT_EQ(ChildSummary(tag), (Summary{"t:x y z"}));
}

TEST(XmlParse, VerticalTabAndFormFeedAreNotBlanksButAreTrimmed) {
  TXMLTag tag;
  tag.Parse("<a>\fx\v\vy \v z\f</a>");
  EXPECT_EQ(ChildSummary(tag), (Summary{"t:x\v\vy \v z"}));
}

TEST(XmlParse, TextIsNotDecoded) {
  TXMLTag tag;
  tag.Parse("<a>&#x41; &amp; > \"'</a>");
  EXPECT_EQ(ChildSummary(tag), (Summary{"t:&#x41; &amp; > \"'"}));
}

TEST(XmlParse, CommentsKeepTheirBytesAsRead) {
  TXMLTag tag;
  tag.Parse("<a><!--  x\r\n\ty  --><!----><!-- a-b - c --></a>");
  EXPECT_EQ(ChildSummary(tag),
            (Summary{"t:", "c:  x\r\n\ty  ", "t:", "c:", "t:", "c: a-b - c ", "t:"}));
}

TEST(XmlParse, ANameByteThatIsNotAsciiEndsTheName) {
  EXPECT_NE(ParseErrorOf("<a\xE9/>"), "");
  EXPECT_NE(ParseErrorOf("<a b\xE9='1'/>"), "");
}

TEST(XmlParse, TheRootsEndTagEndsTheDocument) {
  TXMLTag tag;
  tag.Parse("<a></a>rest <b/> </c> << <!DOCTYPE");
  EXPECT_EQ(tag.Name(), "a");
  EXPECT_EQ(ChildSummary(tag), (Summary{"t:"}));

  tag.Parse("<a x='1'/><b/>!!<<");
  EXPECT_EQ(tag.Name(), "a");
  EXPECT_EQ(tag.Attributes, (std::vector<std::string>{"x=1"}));
  EXPECT_EQ(tag.Children().Count(), 0);
}

TEST(XmlParse, WhatComesBeforeTheRootIsDropped) {
  TXMLTag tag;
  tag.Parse(
      "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\nsome text\r\n"
      "<!-- a comment -->\r\n<a>x</a>");
  EXPECT_EQ(tag.Name(), "a");
  EXPECT_EQ(ChildSummary(tag), (Summary{"t:x"}));
}

TEST(XmlParse, ProcessingInstructionsInsideAreSkipped) {
  TXMLTag tag;
  tag.Parse("<a>x<?pi a <b> 'c' ?>y<?empty?></a>");
  EXPECT_EQ(ChildSummary(tag), (Summary{"t:x", "t:y", "t:"}));
}

TEST(XmlParse, ADocumentThatStopsEarlyKeepsWhatWasRead) {
  TXMLTag tag;
  EXPECT_NO_THROW(tag.Parse("<a><b c='1'><d>text"));
  EXPECT_EQ(ChildSummary(tag), (Summary{"t:", "e:b"}));
  const TXMLTag& b = Child(tag, 1);
  EXPECT_EQ(b.Attributes, (std::vector<std::string>{"c=1"}));
  EXPECT_EQ(ChildSummary(b), (Summary{"t:", "e:d"}));
  EXPECT_EQ(Child(b, 1).Children().Count(), 0);

  tag.Parse("<a b='1");
  EXPECT_EQ(tag.Name(), "a");
  EXPECT_TRUE(tag.Attributes.empty());

  tag.Parse("<abc");
  EXPECT_EQ(tag.Name(), "abc");

  tag.Parse("<a><!-- open comment");
  EXPECT_EQ(ChildSummary(tag), (Summary{"t:"}));

  tag.Parse("<a><?open instruction");
  EXPECT_EQ(ChildSummary(tag), (Summary{"t:"}));
}

TEST(XmlParse, NoElementAtAllLeavesAnEmptyTag) {
  TXMLTag tag;
  tag.Parse("<keep/>");
  tag.Parse("");
  EXPECT_EQ(tag.Name(), "");
  EXPECT_EQ(tag.Children().Count(), 0);

  tag.Parse("just text <!-- and a comment --> <?pi?>");
  EXPECT_EQ(tag.Name(), "");
  EXPECT_EQ(tag.Children().Count(), 0);
}

TEST(XmlParse, ParsingAgainReplacesEverything) {
  TXMLTag tag;
  tag.Parse("<first a='1'><x/></first>");
  tag.Kind = XmlKind::xkComment;
  tag.Text = "old";
  tag.Parse("<second/>");
  EXPECT_EQ(tag.Kind, XmlKind::xkElement);
  EXPECT_EQ(tag.Name(), "second");
  EXPECT_EQ(tag.Text, "");
  EXPECT_TRUE(tag.Attributes.empty());
  EXPECT_EQ(tag.Children().Count(), 0);
}

TEST(XmlParse, ElementsRecordTheLineAndColumnOfTheirLessThan) {
  TXMLTag tag;
  tag.Parse("<a>\r\n\t<b>\r\n\t\t<c/>  <d/></b></a>");
  const TXMLTag& b = Child(tag, 1);
  const TXMLTag& c = Child(b, 1);
  const TXMLTag& d = Child(b, 3);
  EXPECT_EQ(b.Line, 2);
  EXPECT_EQ(b.Column, 2);
  EXPECT_EQ(c.Line, 3);
  EXPECT_EQ(c.Column, 3);
  EXPECT_EQ(d.Line, 3);
  EXPECT_EQ(d.Column, 9);
}

TEST(XmlParse, PositionsCountEachByteOnceEvenWhenHandedOnOrSkipped) {
  TXMLTag tag;
  // The blank before "=" is handed on to the next state; the LF before ">"
  // too; both must count once.
  tag.Parse("<a x ='1'   y='2'><b/><c></c\n>  <d/></a>");
  EXPECT_EQ(Child(tag, 1).Line, 1);
  EXPECT_EQ(Child(tag, 1).Column, 19);
  EXPECT_EQ(Child(tag, 3).Line, 1);
  EXPECT_EQ(Child(tag, 3).Column, 23);
  EXPECT_EQ(Child(tag, 5).Line, 2);
  EXPECT_EQ(Child(tag, 5).Column, 4);
}

TEST(XmlParse, CarriageReturnsAloneDoNotStartLinesOrCountAsColumns) {
  TXMLTag tag;
  tag.Parse("<a>\r\r<b/>\n\r<c/></a>");
  EXPECT_EQ(Child(tag, 1).Line, 1);
  EXPECT_EQ(Child(tag, 1).Column, 4);
  EXPECT_EQ(Child(tag, 3).Line, 2);
  EXPECT_EQ(Child(tag, 3).Column, 1);
}

TEST(XmlParse, RootTextAndCommentNodesCarryNoPosition) {
  TXMLTag tag;
  tag.Column = 7;
  tag.Line = 9;
  tag.Parse("\n\n  <a>x<!--y--></a>");
  EXPECT_EQ(tag.Column, 7);
  EXPECT_EQ(tag.Line, 9);
  for (const auto& child : tag.Children()) {
    EXPECT_EQ(child->Line, 0);
    EXPECT_EQ(child->Column, 0);
  }
}

TEST(XmlParse, ATagInsideATreeParsesIntoItselfOnly) {
  TXMLTag outer;
  outer.Parse("<outer><inner/></outer>");
  TXMLTag& inner = *outer.Children().Items(1);
  inner.Parse("<inner><x/></inner><stray/>");
  EXPECT_EQ(inner.Parent(), &outer);
  EXPECT_EQ(ChildSummary(inner), (Summary{"t:", "e:x", "t:"}));
  EXPECT_EQ(ChildSummary(outer), (Summary{"t:", "e:inner", "t:"}));
}

}  // namespace
}  // namespace cv
