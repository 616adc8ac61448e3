// Any document that parses binds to the project database, the silent
// settings and the action list without crashing or leaking, and what they
// write settles: once written and read back, writing gives the same text.
// (Every load of a database puts a fresh "EventParams"/"EventResult" pair in
// front of its variables, so those lines are left out of the comparison.)

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "database/main_database.h"
#include "install/install_actions.h"

namespace {

std::string Write(const cv::TXMLObject& object, std::string_view root) {
  cv::TXMLTag tag;
  tag.SetName(root);
  object.AssignTo(tag);
  return tag.AsXML();
}

std::string WithoutMessagePairs(std::string xml) {
  for (const std::string line : {"\r\n\t\t<var name=\"EventParams\" value=\"0\"/>",
                                 "\r\n\t\t<var name=\"EventResult\" value=\"0\"/>"}) {
    for (auto at = xml.find(line); at != std::string::npos; at = xml.find(line, at)) {
      xml.erase(at, line.size());
    }
  }
  return xml;
}

template <typename T>
void CheckSettles(const cv::TXMLTag& parsed, std::string_view root) {
  auto object = T::New();
  object->Assign(parsed);
  std::string previous = WithoutMessagePairs(Write(*object, root));
  for (int pass = 0; pass < 2; ++pass) {
    auto again = T::New();
    again->LoadFromString(Write(*object, root), root);
    const std::string written = WithoutMessagePairs(Write(*again, root));
    if (pass == 1 && written != previous) {
      std::fprintf(stderr, "project_bind_fuzz: %.*s does not settle\n",
                   static_cast<int>(root.size()), root.data());
      std::abort();
    }
    previous = written;
    object = std::move(again);
  }
  // Merging the document into what it produced must not fail either.
  object->Merge(parsed);
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
  if (parsed.Kind != cv::XmlKind::xkElement) return 0;
  CheckSettles<cv::TcvMainDatabase>(parsed, cv::kProjectRootName);
  CheckSettles<cv::TcvSilentSettings>(parsed, cv::kSilentSettingsRootName);
  CheckSettles<cv::TInstallActions>(parsed, cv::kInstallActionsRootName);
  return 0;
}
