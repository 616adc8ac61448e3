#include "database/xml_param_list.h"

#include "platform/case_map.h"

namespace cv {

CV_XML_PROPERTIES(TXMLParamList) { return {}; }

const XmlClass& TXMLParamList::GetParamClass() const { return TXMLObject::StaticClass(); }

TXMLObject* TXMLParamList::FindParam(std::string_view name) const {
  for (const auto& item : *this) {
    const XmlProperty* property = item->Class().FindProperty("Name");
    if (property && property->Kind == PropKind::String && property->GetString &&
        SameTextNoCase(property->GetString(*item), name)) {
      return item.get();
    }
  }
  return nullptr;
}

void TXMLParamList::SetParam(std::string_view name, std::string_view value) {
  TXMLObject* param = FindParam(name);
  if (!param) {
    const int index = Add(GetParamClass().Create(this));
    param = Items(index);
  }
  param->SetPropText("Name", name);
  param->SetPropText("Value", value);
}

void TXMLParamList::SetParamInt(std::string_view name, std::int32_t value) {
  SetParam(name, std::to_string(value));
}

}  // namespace cv
