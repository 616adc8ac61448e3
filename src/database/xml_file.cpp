#include <string>

#include "database/xml_tag.h"
#include "platform/file_io.h"

namespace cv {

bool TXMLTag::LoadFromFile(const std::string& fileName) {
  std::string bytes;
  if (!ReadWholeFile(fileName, bytes)) return false;
  Parse(bytes);
  return true;
}

bool TXMLTag::SaveToFile(const std::string& fileName) const {
  if (name_.empty()) return false;
  return WriteWholeFile(fileName, GetXML(0));
}

}  // namespace cv
