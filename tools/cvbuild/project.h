#pragma once
// The authoring project: a "cv2project" document bound to the project model,
// plus the authoring-only attributes the engine ignores (where pictures,
// languages and plug-in DLLs come from), read from the same tag tree.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "database/main_database.h"
#include "database/xml_tag.h"

namespace cv::build {

class Project {
 public:
  // Reads and binds the document. XML errors are input errors naming the
  // file, line and column ("file:12:5: ..."); a missing file names its path.
  static std::unique_ptr<Project> Load(const std::string& path);

  const std::string& Path() const { return path_; }
  // The folder that `Src` and the authoring paths are relative to.
  const std::string& Folder() const { return folder_; }
  TcvMainDatabase& Database() { return *database_; }
  const TcvMainDatabase& Database() const { return *database_; }

  // The element an object of the model was loaded from (null for objects
  // made by code).
  const TXMLTag* ElementOf(const TXMLObject& object) const;
  // An authoring attribute of that object's element ("" when absent),
  // names compared without regard to case.
  std::string Attribute(const TXMLObject& object, std::string_view name) const;
  // The child element "build" of the root, which holds the project-wide
  // authoring settings; null when absent.
  const TXMLTag* BuildElement() const { return build_; }

  // "file:line:column" of an object, for messages ("file" alone when the
  // position is unknown).
  std::string Where(const TXMLObject& object) const;

 private:
  std::string path_;
  std::string folder_;
  TXMLTag root_;
  const TXMLTag* build_ = nullptr;
  std::unique_ptr<TcvMainDatabase> database_;
  std::map<std::pair<std::int32_t, std::int32_t>, const TXMLTag*> elements_;
};

// The value of an attribute of a tag, names compared without regard to case.
std::string TagAttribute(const TXMLTag& tag, std::string_view name);

// Reads a file that the project needs; a missing or unreadable file is an
// input error naming its path.
std::string ReadInputFile(const std::string& path);

// Parses an XML document; errors become input errors with "path:line:column".
void ParseDocument(const std::string& path, const std::string& text, TXMLTag& root);

}  // namespace cv::build
