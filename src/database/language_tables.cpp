#include "database/language_tables.h"

#include "platform/case_map.h"

namespace cv {

CV_XML_PROPERTIES(TcvLngTable) {
  return {Published("ID", &TcvLngTable::ID),
          Published("LngID", &TcvLngTable::LngID),
          Published("PluginID", &TcvLngTable::PluginID),
          Published("Name", &TcvLngTable::Name),
          Published("InstallName", &TcvLngTable::InstallName),
          Published("Description", &TcvLngTable::Description)};
}
CV_XML_LIST_ITEMS(TcvLngTable, "param", TcvParam)

const XmlClass& TcvLngTable::GetParamClass() const { return TcvParam::StaticClass(); }

CV_XML_PROPERTIES(TcvLngTables) { return {}; }
CV_XML_LIST_ITEMS(TcvLngTables, "language", TcvLngTable)

TcvLngTable* TcvLngTables::Find(std::string_view lngId, std::string_view pluginId) const {
  for (const auto& item : *this) {
    auto* table = dynamic_cast<TcvLngTable*>(item.get());
    if (table && SameTextNoCase(table->LngID, lngId) && SameTextNoCase(table->PluginID, pluginId)) {
      return table;
    }
  }
  return nullptr;
}

}  // namespace cv
