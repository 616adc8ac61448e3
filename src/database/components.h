#pragma once
// Components: what a feature installs, with the items of each kind. In the
// main database a component usually carries only its identity, package, size
// and condition; its package's database holds the full definition.

#include <cstdint>
#include <memory>
#include <string>

#include "database/condition_object.h"
#include "database/installation_items.h"
#include "database/list_items.h"

namespace cv {

class TcvComponent : public TcvConditionObject {
  CV_XML_CLASS(TcvComponent, TcvConditionObject)

 public:
  using TcvConditionObject::TcvConditionObject;

  std::string ID() const { return id_; }
  // A new ID also becomes the display name while that is empty.
  void SetID(const std::string& id);

  std::string KeyItemID;
  std::string Name;     // display name
  std::string Package;  // FileName of the package that holds it
  std::string Dst;      // destination folder, "%InstallPath%" when empty
  std::int32_t Size = 0;
  std::unique_ptr<TcvFiles> Files;
  std::unique_ptr<TcvRegistry> Registry;
  std::unique_ptr<TcvIniFiles> IniFiles;
  std::unique_ptr<TcvShortcuts> Shortcuts;
  std::unique_ptr<TcvRunApps> RunApps;

  // Not published: set by the main flow for every enabled component that a
  // selected feature references.
  bool Marked = false;
  bool Install = false;

 private:
  std::string id_;
};

class TcvComponents : public TXMLObjectList {
  CV_XML_CLASS(TcvComponents, TXMLObjectList)

 public:
  using TXMLObjectList::TXMLObjectList;
  CV_XML_LIST_ITEMS_DECL
  TcvComponent* Component(int index) const { return ItemAs<TcvComponent>(index); }
};

}  // namespace cv
