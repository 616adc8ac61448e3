#pragma once
// Helpers shared by the XML tests.

#include <string>
#include <string_view>

#include "database/xml_tag.h"

namespace cv::test {

// The TXMLParserError message Parse raises for `text`; empty when it parses.
inline std::string ParseErrorOf(std::string_view text) {
  TXMLTag tag;
  try {
    tag.Parse(text);
  } catch (const TXMLParserError& error) {
    return error.what();
  }
  return {};
}

// Parse, then write.
inline std::string Rewritten(std::string_view text) {
  TXMLTag tag;
  tag.Parse(text);
  return tag.GetXML(0);
}

}  // namespace cv::test
