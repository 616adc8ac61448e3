#include "database/packages.h"

#include "platform/case_map.h"

namespace cv {

CV_XML_PROPERTIES(TcvFileInfo) {
  return {Published("Name", &TcvFileInfo::Name), Published("Version", &TcvFileInfo::Version),
          Published("FontName", &TcvFileInfo::FontName),
          Published("AssemblyData", &TcvFileInfo::AssemblyData),
          Published("Size", &TcvFileInfo::Size)};
}

CV_XML_PROPERTIES(TcvFileInfos) { return {}; }
CV_XML_LIST_ITEMS(TcvFileInfos, "fileinfo", TcvFileInfo)

TcvFileInfo* TcvFileInfos::FindByName(std::string_view name) const {
  for (const auto& item : *this) {
    auto* info = dynamic_cast<TcvFileInfo*>(item.get());
    if (info && SameTextNoCase(info->Name, name)) return info;
  }
  return nullptr;
}

CV_XML_PROPERTIES(TcvPackage) {
  return {Published("ID", &TcvPackage::ID),
          Published("Main", &TcvPackage::Main),
          Published("FileName", &TcvPackage::FileName),
          Published("TempPath", &TcvPackage::TempPath),
          Published("FullFileName", &TcvPackage::FullFileName),
          Published("Needed", &TcvPackage::Needed),
          Published("Prepared", &TcvPackage::Prepared),
          Published("Flags", &TcvPackage::Flags),
          Published("PresetupSize", &TcvPackage::PresetupSize),
          Published("DataSize", &TcvPackage::DataSize),
          Published("Components", &TcvPackage::Components),
          Published("Plugins", &TcvPackage::Plugins),
          Published("Variables", &TcvPackage::Variables),
          Published("FileInfos", &TcvPackage::FileInfos)};
}

TcvVariables& TcvPackage::HeaderVariables() {
  if (!headerVariables_) headerVariables_ = CreateXmlObject<TcvVariables>(this);
  return *headerVariables_;
}

CV_XML_PROPERTIES(TcvPackages) { return {}; }
CV_XML_LIST_ITEMS(TcvPackages, "package", TcvPackage)

TcvPackage* TcvPackages::FindByFileName(std::string_view name) const {
  for (const auto& item : *this) {
    auto* package = dynamic_cast<TcvPackage*>(item.get());
    if (package && SameTextNoCase(package->FileName, name)) return package;
  }
  return nullptr;
}

}  // namespace cv
