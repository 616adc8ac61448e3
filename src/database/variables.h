#pragma once
// Variables: named string values of the database and of each package, stored
// in the project, read from the registry or an ini file, or meant for the
// environment.

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "database/installation_items.h"
#include "database/list_items.h"
#include "database/project_enums.h"
#include "database/xml_param_list.h"

namespace cv {

class TcvVariable : public TcvInstallationItem {
  CV_XML_CLASS(TcvVariable, TcvInstallationItem)

 public:
  using TcvInstallationItem::TcvInstallationItem;
  std::string Name;  // compared without regard to case
  std::string Value;
  std::string DefValue;  // when the registry value or ini entry is missing
  std::string RegKey;
  std::string RegParam;
  std::string IniFile;
  std::string IniSection;
  std::string IniParam;
  TcvVarType VarType = TcvVarType::vtNormal;

  // Not published: set by the engine, never written to XML.
  bool Predefined = false;

  bool CanSave(const TXMLTag& element) const override;
  std::string GetEnumPrefix(std::string_view propName) const override;
  // Written as "type"; "vartype" is read too.
  std::string XMLToPropName(std::string_view name, bool isChild) const override;
  std::string PropToXMLName(std::string_view name, bool isChild) const override;
};

class TcvVariables : public TXMLParamList {
  CV_XML_CLASS(TcvVariables, TXMLParamList)

 public:
  using TXMLParamList::TXMLParamList;
  CV_XML_LIST_ITEMS_DECL
  const XmlClass& GetParamClass() const override;

  // The first variable of that name (ignoring case) that is not meant for
  // the environment and whose condition holds; null when there is none.
  // Found through a hash index of the names, so a project with thousands of
  // variables looks them up as fast as one with a few. The index is rebuilt
  // after any variable is added or removed; names are given before a
  // variable joins the list, and a stale entry is noticed and rebuilt.
  TcvVariable* FindParam(std::string_view name) const override;
  TcvVariable* Variable(int index) const { return ItemAs<TcvVariable>(index); }

  // The database's own list always begins with "EventParams" and
  // "EventResult", both 0.
  void CreateLists() override;

 private:
  // Variables by their case-mapped name, in list order.
  using NameIndex = std::unordered_map<std::string, std::vector<TcvVariable*>>;
  // The variables indexed under `key`, copied out so that conditions run
  // without the lock; false when one of them was renamed in place.
  bool CopyCandidates(const std::string& key, std::string_view name,
                      std::vector<TcvVariable*>& candidates) const;
  void RebuildIndex() const;

  // Lookups may come from several threads at once; the index is theirs to share.
  mutable std::mutex indexMutex_;
  mutable NameIndex index_;
  mutable std::uint64_t indexedRevision_ = ~std::uint64_t{0};
};

}  // namespace cv
