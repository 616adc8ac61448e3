// Throughput of the XML reader and writer on a generated project document of
// about 10 MB: nested elements with attributes, text and comments, shaped like
// a project database (variables, features, components, files, registry).

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "bench_timing.h"
#include <vector>

#include "database/xml_tag.h"

namespace {

constexpr std::size_t kTargetSize = 10 * 1000 * 1000;
constexpr int kRuns = 5;

// A fixed pseudo-random sequence, so every run measures the same document.
class Sequence {
 public:
  std::uint32_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
  }
  std::string Word() {
    static const char* const kWords[] = {"setup", "program", "shared", "library", "data",
                                         "help",  "readme",  "config", "plugin",  "resource"};
    return kWords[Next() % 10];
  }

 private:
  std::uint32_t state_ = 12345;
};

std::string ProjectDocument() {
  Sequence seq;
  std::string doc;
  doc.reserve(kTargetSize + 4096);
  doc += "<?xml version=\"1.0\"?>\r\n<project name=\"Demo Product\" version=\"4.2\">\r\n";
  doc += "\t<!-- generated for the benchmark -->\r\n\t<variables>\r\n";
  for (int i = 0; i < 200; ++i) {
    doc += "\t\t<variable name=\"Var" + std::to_string(i) + "\" value=\"%ProgramFiles%\\" +
           seq.Word() + "&#x26;" + std::to_string(seq.Next() % 1000) + "\"/>\r\n";
  }
  doc += "\t</variables>\r\n\t<features>\r\n";
  for (int feature = 0; doc.size() < kTargetSize; ++feature) {
    doc += "\t\t<feature id=\"" + std::to_string(feature) + "\" title=\"[Feature" +
           std::to_string(feature) + "]\" condition=\"#IsAdmin()#\" level=\"1\">\r\n";
    doc += "\t\t\t<description>The " + seq.Word() + " files of the " + seq.Word() +
           " part, with\r\n\t\t\t\ttheir " + seq.Word() + " settings.</description>\r\n";
    doc += "\t\t\t<!-- feature " + std::to_string(feature) + " -->\r\n";
    for (int component = 0; component < 4; ++component) {
      doc += "\t\t\t<component name=\"c" + std::to_string(component) +
             "\" destination=\"%InstallPath%\\" + seq.Word() + "\">\r\n\t\t\t\t<files>\r\n";
      for (int file = 0; file < 12; ++file) {
        doc += "\t\t\t\t\t<file source=\"data\\" + seq.Word() + std::to_string(seq.Next() % 10000) +
               ".dll\" name=\"" + seq.Word() + ".dll\" flags=\"shared,dont_log\" version=\"1." +
               std::to_string(seq.Next() % 100) + ".0.0\" size=\"" +
               std::to_string(seq.Next() % 1000000) + "\"/>\r\n";
      }
      doc += "\t\t\t\t</files>\r\n\t\t\t\t<registry>\r\n";
      for (int value = 0; value < 3; ++value) {
        doc += "\t\t\t\t\t<value key=\"HKLM\\Software\\Demo\\" + seq.Word() + "\" name=\"" +
               seq.Word() + "\" type=\"string\" data='say \"" + seq.Word() + "\"'/>\r\n";
      }
      doc += "\t\t\t\t</registry>\r\n\t\t\t</component>\r\n";
    }
    doc += "\t\t</feature>\r\n";
  }
  doc += "\t</features>\r\n</project>\r\n";
  return doc;
}

std::size_t CountNodes(const cv::TXMLTag& root) {
  std::size_t count = 0;
  std::vector<const cv::TXMLTag*> pending{&root};
  while (!pending.empty()) {
    const cv::TXMLTag* tag = pending.back();
    pending.pop_back();
    ++count;
    for (const auto& child : tag->Children()) pending.push_back(child.get());
  }
  return count;
}

}  // namespace

int main() {
  const std::string document = ProjectDocument();
  cv::TXMLTag tag;
  const double parseSeconds = cv::bench::BestSeconds(kRuns, [&] { tag.Parse(document); });
  std::string written;
  const double writeSeconds = cv::bench::BestSeconds(kRuns, [&] { written = tag.GetXML(0); });

  std::printf("xml: document of %zu bytes, %zu nodes (best of %d runs)\n", document.size(),
              CountNodes(tag), kRuns);
  cv::bench::ReportThroughput("parse", document.size(), parseSeconds);
  cv::bench::ReportThroughput("write", written.size(), writeSeconds);
  return 0;
}
