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
  // The first item of that name, whatever its condition or kind: a list that
  // hides some items from readers (FindParam overridden) must still not gain
  // a second item of the same name here.
  TXMLObject* param = TXMLParamList::FindParam(name);
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
