#pragma once
// A list of name/value parameters: items whose class publishes the string
// properties Name and Value.

#include <string>
#include <string_view>

#include "database/xml_object_list.h"

namespace cv {

class TXMLParamList : public TXMLObjectList {
  CV_XML_CLASS(TXMLParamList, TXMLObjectList)

 public:
  using TXMLObjectList::TXMLObjectList;

  // The class of new parameters; every concrete parameter list names its own.
  virtual const XmlClass& GetParamClass() const;
  // First item whose Name equals `name`, ignoring case.
  virtual TXMLObject* FindParam(std::string_view name) const;

  // Sets the first parameter of that name (appending a new one when there is
  // none) to `value`.
  void SetParam(std::string_view name, std::string_view value);
  void SetParamInt(std::string_view name, std::int32_t value);
};

}  // namespace cv
