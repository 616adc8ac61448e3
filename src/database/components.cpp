#include "database/components.h"

namespace cv {

void TcvComponent::SetID(const std::string& id) {
  if (id == id_) return;
  id_ = id;
  if (Name.empty()) Name = id;
}

CV_XML_PROPERTIES(TcvComponent) {
  return {Published("ID", &TcvComponent::ID, &TcvComponent::SetID),
          Published("KeyItemID", &TcvComponent::KeyItemID),
          Published("Name", &TcvComponent::Name),
          Published("Package", &TcvComponent::Package),
          Published("Dst", &TcvComponent::Dst),
          Published("Size", &TcvComponent::Size),
          Published("Files", &TcvComponent::Files),
          Published("Registry", &TcvComponent::Registry),
          Published("IniFiles", &TcvComponent::IniFiles),
          Published("Shortcuts", &TcvComponent::Shortcuts),
          Published("RunApps", &TcvComponent::RunApps)};
}

CV_XML_PROPERTIES(TcvComponents) { return {}; }
CV_XML_LIST_ITEMS(TcvComponents, "component", TcvComponent)

}  // namespace cv
