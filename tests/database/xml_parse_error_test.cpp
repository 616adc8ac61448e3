#include <gtest/gtest.h>

#include <string>

#include "database/xml_tag.h"
#include "xml_test_support.h"

namespace cv {
namespace {

using test::ParseErrorOf;

const std::string kInvalidTagName = "Invalid character in the tag name.";
const std::string kRightAngle = "Right angle bracket (\">\") expected.";
const std::string kAttributeNameExpected = "Attribute name expected.";
const std::string kInvalidAttributeName = "Invalid character in the attribute name.";
const std::string kEquals = "Equals sign (\"=\") expected between attribute name and value.";
const std::string kQuote = "Opening quote character (single or double) expected.";
const std::string kSpaceOrClose = "White space or tag closing expected.";
const std::string kDoubleHyphen = "Double-hyphen (\"--\") expected.";
const std::string kSyntax = "Syntax error.";

std::string At(const std::string& description, int line, int position) {
  return description + " Line " + std::to_string(line) + ", position " + std::to_string(position) +
         ".";
}

TEST(XmlParseError, IsATXMLParserErrorThatIsAnError) {
  TXMLTag tag;
  try {
    tag.Parse("<>");
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_NE(dynamic_cast<const TXMLParserError*>(&error), nullptr);
    EXPECT_EQ(std::string(error.what()), At(kInvalidTagName, 1, 2));
  }
}

TEST(XmlParseError, InvalidCharacterAfterTheLessThan) {
  EXPECT_EQ(ParseErrorOf("< a>"), At(kInvalidTagName, 1, 2));
  EXPECT_EQ(ParseErrorOf("<.a/>"), At(kInvalidTagName, 1, 2));
  EXPECT_EQ(ParseErrorOf("<a>\n  <\tb/>"), At(kInvalidTagName, 2, 4));
}

TEST(XmlParseError, InvalidCharacterInsideTheTagName) {
  EXPECT_EQ(ParseErrorOf("<a.b/>"), At(kInvalidTagName, 1, 3));
  EXPECT_EQ(ParseErrorOf("<a><b:c/></a>"), At(kInvalidTagName, 1, 6));
  EXPECT_EQ(ParseErrorOf("<ab\"c='1'/>"), At(kInvalidTagName, 1, 4));
}

TEST(XmlParseError, RightAngleBracketExpectedAfterSlash) {
  EXPECT_EQ(ParseErrorOf("<a / >"), At(kRightAngle, 1, 5));
  EXPECT_EQ(ParseErrorOf("<a b='1'/x>"), At(kRightAngle, 1, 10));
  // A line break after "/" is the offending byte; it still counts on the
  // line it ends.
  EXPECT_EQ(ParseErrorOf("<a>\r\n<b/\r\n>"), At(kRightAngle, 2, 4));
}

TEST(XmlParseError, RightAngleBracketExpectedInAnEndTag) {
  EXPECT_EQ(ParseErrorOf("<a></a b>"), At(kRightAngle, 1, 8));
  EXPECT_EQ(ParseErrorOf("<a></a/>"), At(kRightAngle, 1, 7));
}

TEST(XmlParseError, RightAngleBracketExpectedAfterTheCommentsDoubleHyphen) {
  // At the byte after the inner "--".
  EXPECT_EQ(ParseErrorOf("<!-- x -- y -->"), At(kRightAngle, 1, 10));
  EXPECT_EQ(ParseErrorOf("<a>\n<!-- x --y --></a>"), At(kRightAngle, 2, 10));
  EXPECT_EQ(ParseErrorOf("<a><!-- x ---></a>"), At(kRightAngle, 1, 13));
}

TEST(XmlParseError, RightAngleBracketExpectedAfterTheInstructionsQuestionMark) {
  EXPECT_EQ(ParseErrorOf("<?xml version='1.0'? >"), At(kRightAngle, 1, 21));
  EXPECT_EQ(ParseErrorOf("<a><?p?x?></a>"), At(kRightAngle, 1, 8));
}

TEST(XmlParseError, EndTagMustMatchTheStartTag) {
  // The position is that of the end tag's name.
  EXPECT_EQ(ParseErrorOf("<a><b></a>"),
            At("End tag \"a\" does not match the start tag \"b\".", 1, 9));
  EXPECT_EQ(ParseErrorOf("<root>\r\n\t<item>\r\n\t</ITEMS>"),
            At("End tag \"ITEMS\" does not match the start tag \"item\".", 3, 4));
  EXPECT_EQ(ParseErrorOf("<a></>"), At("End tag \"\" does not match the start tag \"a\".", 1, 6));
}

TEST(XmlParseError, EndTagMismatchIsPlacedByCountingBackFromTheBracket) {
  // Blanks between the name and ">" shift the reported position by as many
  // bytes: it is the ">" minus the name's length.
  EXPECT_EQ(ParseErrorOf("<a><b></a  >"),
            At("End tag \"a\" does not match the start tag \"b\".", 1, 11));
}

TEST(XmlParseError, ADocumentStartingWithAnEndTagHasNothingToClose) {
  EXPECT_EQ(ParseErrorOf("</a>"), At("End tag \"a\" has no start tag.", 1, 3));
  EXPECT_EQ(ParseErrorOf("text\r\n <!-- c --> </Ab><a/>"),
            At("End tag \"Ab\" has no start tag.", 2, 15));
  EXPECT_EQ(ParseErrorOf("</>"), At("End tag \"\" has no start tag.", 1, 3));
}

TEST(XmlParseError, AttributeNameExpected) {
  EXPECT_EQ(ParseErrorOf("<a =\"1\"/>"), At(kAttributeNameExpected, 1, 4));
  EXPECT_EQ(ParseErrorOf("<a  =\"1\"/>"), At(kAttributeNameExpected, 1, 5));
  EXPECT_EQ(ParseErrorOf("<a b='1' ='2'/>"), At(kAttributeNameExpected, 1, 10));
}

TEST(XmlParseError, InvalidCharacterInTheAttributeName) {
  EXPECT_EQ(ParseErrorOf("<a b.c='1'/>"), At(kInvalidAttributeName, 1, 5));
  EXPECT_EQ(ParseErrorOf("<a 'b'/>"), At(kInvalidAttributeName, 1, 4));
  EXPECT_EQ(ParseErrorOf("<a b='1' c<d/>"), At(kInvalidAttributeName, 1, 11));
}

TEST(XmlParseError, EqualsSignExpected) {
  EXPECT_EQ(ParseErrorOf("<a b c='1'>"), At(kEquals, 1, 6));
  EXPECT_EQ(ParseErrorOf("<a b\r\n\r\n  'x'/>"), At(kEquals, 3, 3));
  EXPECT_EQ(ParseErrorOf("<a b />"), At(kEquals, 1, 6));
}

TEST(XmlParseError, OpeningQuoteExpected) {
  EXPECT_EQ(ParseErrorOf("<a b=1>"), At(kQuote, 1, 6));
  EXPECT_EQ(ParseErrorOf("<a b=  `1`>"), At(kQuote, 1, 8));
  EXPECT_EQ(ParseErrorOf("<a b=/>"), At(kQuote, 1, 6));
}

TEST(XmlParseError, WhiteSpaceOrTagClosingExpected) {
  EXPECT_EQ(ParseErrorOf("<a b='1'c='2'/>"), At(kSpaceOrClose, 1, 9));
  EXPECT_EQ(ParseErrorOf("<a b=\"1\"\"/>"), At(kSpaceOrClose, 1, 9));
}

TEST(XmlParseError, SyntaxErrorPointsAtTheExclamationMark) {
  EXPECT_EQ(ParseErrorOf("<!DOCTYPE x>"), At(kSyntax, 1, 2));
  EXPECT_EQ(ParseErrorOf("<a>\n  <![CDATA[x]]></a>"), At(kSyntax, 2, 4));
  // The offending byte is the line break: the position is still the "!".
  EXPECT_EQ(ParseErrorOf("<a>\n<!\n"), At(kSyntax, 2, 2));
}

TEST(XmlParseError, DoubleHyphenExpectedPointsAtTheFirstHyphen) {
  EXPECT_EQ(ParseErrorOf("<!-x-->"), At(kDoubleHyphen, 1, 3));
  EXPECT_EQ(ParseErrorOf("<a>\r\n  <!- x --></a>"), At(kDoubleHyphen, 2, 5));
}

TEST(XmlParseError, LineAndPositionWithCrLfOrLfLineEnds) {
  // An error on the third line, fifth character.
  EXPECT_EQ(ParseErrorOf("<a>\r\n<b/>\r\n<c d!>"), At(kInvalidAttributeName, 3, 5));
  EXPECT_EQ(ParseErrorOf("<a>\n<b/>\n<c d!>"), At(kInvalidAttributeName, 3, 5));
  // CR alone neither ends a line nor takes a column.
  EXPECT_EQ(ParseErrorOf("<a>\r<b/>\r<c d!>"), At(kInvalidAttributeName, 1, 12));
  // Tabs and collapsed blanks take a column each.
  EXPECT_EQ(ParseErrorOf("<a>\r\n\t\t  <c\t\t d!>"), At(kInvalidAttributeName, 2, 11));
}

TEST(XmlParseError, TheTagIsLeftPartlyFilled) {
  TXMLTag tag;
  EXPECT_THROW(tag.Parse("<a x='1'><b/><c d e/>"), TXMLParserError);
  EXPECT_EQ(tag.Name(), "a");
  EXPECT_EQ(tag.Attributes, (std::vector<std::string>{"x=1"}));
  ASSERT_EQ(tag.Children().Count(), 4);
  EXPECT_EQ(tag.Children().Items(3)->Name(), "c");
}

}  // namespace
}  // namespace cv
