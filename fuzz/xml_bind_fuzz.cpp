// Any document that parses binds to the sample model without crashing or
// leaking, and what the model writes settles: once written and read back,
// writing again gives the same text.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sample_model.h"

namespace {

std::string Write(const cv::sample::Product& product) {
  cv::TXMLTag tag;
  tag.SetName("product");
  product.AssignTo(tag);
  return tag.AsXML();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  cv::TXMLTag parsed;
  try {
    parsed.Parse(text);
  } catch (const cv::TXMLParserError&) {
    return 0;
  }
  auto first = cv::sample::Product::New();
  first->Assign(parsed);
  // Text held in a tag property (custom configuration) is written on lines
  // of its own, so the first read-back may still gain line breaks around
  // it; from the second write on the text must not change.
  auto second = cv::sample::Product::New();
  second->LoadFromString(Write(*first), "product");
  const std::string written = Write(*second);
  auto third = cv::sample::Product::New();
  third->LoadFromString(written, "product");
  if (Write(*third) != written) {
    std::fprintf(stderr, "xml_bind_fuzz: the written document does not settle\n");
    std::abort();
  }
  // Merging a document into its own copy keeps every simple value.
  second->Merge(parsed);
  return 0;
}
