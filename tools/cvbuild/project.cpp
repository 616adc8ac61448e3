#include "project.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "build_error.h"
#include "platform/case_map.h"

namespace cv::build {

std::string TagAttribute(const TXMLTag& tag, std::string_view name) {
  std::string value;
  for (const std::string& line : tag.Attributes) {
    if (SameTextNoCase(XmlAttributeName(line), name)) value = XmlAttributeValue(line);
  }
  return value;
}

std::string ReadInputFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) ThrowInput("file not found: " + path);
  std::ifstream in(path, std::ios::binary);
  if (!in) ThrowInput("cannot open " + path);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) ThrowInput("cannot read " + path);
  return bytes;
}

void ParseDocument(const std::string& path, const std::string& text, TXMLTag& root) {
  try {
    root.Parse(text);
  } catch (const TXMLParserError& error) {
    // The parser ends its message with " Line L, position P."; tools want
    // the position first.
    const std::string message = error.what();
    const std::size_t line = message.rfind(" Line ");
    const std::size_t position = message.rfind(", position ");
    if (line != std::string::npos && position != std::string::npos && position > line &&
        message.back() == '.') {
      const std::string lineText = message.substr(line + 6, position - line - 6);
      const std::string columnText =
          message.substr(position + 11, message.size() - position - 12);
      ThrowInput(path + ":" + lineText + ":" + columnText + ": " + message.substr(0, line));
    }
    ThrowInput(path + ": " + message);
  }
  if (root.Kind != XmlKind::xkElement || root.Name().empty()) {
    ThrowInput(path + ":1:1: no XML element found");
  }
}

std::unique_ptr<Project> Project::Load(const std::string& path) {
  auto project = std::unique_ptr<Project>(new Project());
  project->path_ = path;
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  project->folder_ = folder.empty() ? std::string(".") : folder.string();
  const std::string text = ReadInputFile(path);
  ParseDocument(path, text, project->root_);
  if (project->root_.Name() != kProjectRootName) {
    ThrowInput(path + ":1:1: the root element is \"" + project->root_.Name() +
               "\", a project document has \"" + std::string(kProjectRootName) + "\"");
  }
  // Every element by its position, without recursion.
  std::vector<const TXMLTag*> pending{&project->root_};
  while (!pending.empty()) {
    const TXMLTag* tag = pending.back();
    pending.pop_back();
    if (tag->Kind != XmlKind::xkElement) continue;
    project->elements_[{tag->Line, tag->Column}] = tag;
    for (const auto& child : tag->Children()) pending.push_back(child.get());
  }
  for (const auto& child : project->root_.Children()) {
    if (child->Kind == XmlKind::xkElement && child->Name() == "build") project->build_ = child.get();
  }
  project->database_ = TcvMainDatabase::New();
  project->database_->Assign(project->root_);
  return project;
}

const TXMLTag* Project::ElementOf(const TXMLObject& object) const {
  if (object.Line == 0 && object.Column == 0) return nullptr;
  auto found = elements_.find({object.Line, object.Column});
  return found == elements_.end() ? nullptr : found->second;
}

std::string Project::Attribute(const TXMLObject& object, std::string_view name) const {
  const TXMLTag* tag = ElementOf(object);
  return tag ? TagAttribute(*tag, name) : std::string();
}

std::string Project::Where(const TXMLObject& object) const {
  if (object.Line == 0) return path_;
  return path_ + ":" + std::to_string(object.Line) + ":" + std::to_string(object.Column);
}

}  // namespace cv::build
