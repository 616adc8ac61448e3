// Throughput of binding XML to objects: a generated product document of about
// 10 MB (nested features, components with files, variables) is parsed, bound
// to the sample model, written back into a tag tree and to text.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "bench_timing.h"

#include "sample_model.h"

namespace {

constexpr std::size_t kTargetSize = 10 * 1000 * 1000;
constexpr int kRuns = 3;

std::string ProductDocument() {
  std::string doc =
      "<product appname='Demo Product' version='4.2' build='17'>\r\n\t<variables>\r\n";
  for (int i = 0; i < 300; ++i) {
    const std::string number = std::to_string(i);
    doc += "\t\t<variable name='Var";
    doc += number;
    doc += "' value='%ProgramFiles%\\Demo\\";
    doc += number;
    doc += i % 3 ? "' type='path'/>\r\n" : "' type='integer'/>\r\n";
  }
  doc += "\t</variables>\r\n\t<components>\r\n";
  std::string features = "\t<features>\r\n";
  for (int component = 0; doc.size() + features.size() < kTargetSize; ++component) {
    // (Appending rather than adding to a literal avoids a false warning of
    // this compiler about overlapping copies.)
    const std::string number = std::to_string(component);
    std::string id = "C";
    id += number;
    doc += "\t\t<component id='";
    doc += id;
    doc += "' dst='%InstallPath%\\part";
    doc += number;
    doc += "' attributes='";
    doc += std::to_string(component % 7);
    doc += "' required='1' drive='C'>\r\n\t\t\t<items>\r\n";
    for (int file = 0; file < 20; ++file) {
      std::string name = "file";
      name += std::to_string(file);
      doc += "\t\t\t\t<file src='data\\";
      doc += id;
      doc += "\\";
      doc += name;
      doc += ".dll' dst='bin\\";
      doc += name;
      doc += ".dll' condition='#IsAdmin()#' size='";
      doc += std::to_string(1000 + file * 37);
      doc += ".5' flags='shared,reg_server'/>\r\n";
    }
    doc += "\t\t\t</items>\r\n\t\t</component>\r\n";
    features += "\t\t<feature id='F";
    features += number;
    features += "' title='[Feature";
    features += number;
    features += "]'>\r\n\t\t\t<children>\r\n\t\t\t\t<feature id='F";
    features += number;
    features += "a' selected='0'/>\r\n\t\t\t</children>\r\n\t\t</feature>\r\n";
  }
  doc += "\t</components>\r\n" + features + "\t</features>\r\n</product>\r\n";
  return doc;
}

}  // namespace

int main() {
  const std::string document = ProductDocument();
  cv::TXMLTag parsed;
  const double parseSeconds = cv::bench::BestSeconds(kRuns, [&] { parsed.Parse(document); });
  auto product = cv::sample::Product::New();
  const double bindSeconds = cv::bench::BestSeconds(kRuns, [&] { product->Assign(parsed); });
  std::string written;
  const double writeSeconds = cv::bench::BestSeconds(kRuns, [&] {
    cv::TXMLTag tag;
    tag.SetName("product");
    product->AssignTo(tag);
    written = tag.AsXML();
  });
  std::printf("xml binding: document of %zu bytes, %d components (best of %d runs)\n",
              document.size(), product->ComponentList->Count(), kRuns);
  cv::bench::ReportThroughput("parse", document.size(), parseSeconds);
  cv::bench::ReportThroughput("bind", document.size(), bindSeconds);
  cv::bench::ReportThroughput("unbind+write", written.size(), writeSeconds);
  return 0;
}
