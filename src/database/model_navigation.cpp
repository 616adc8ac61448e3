#include "database/model_navigation.h"

#include "database/main_database.h"

namespace cv {

TcvMainDatabase* GetDatabase(const TXMLObject* object) {
  for (; object; object = object->Owner) {
    if (auto* database = dynamic_cast<const TcvMainDatabase*>(object)) {
      return const_cast<TcvMainDatabase*>(database);
    }
  }
  return nullptr;
}

TXMLObject* GetVariableContext(const TXMLObject* object) {
  for (; object; object = object->Owner) {
    if (dynamic_cast<const TcvPackage*>(object) || dynamic_cast<const TcvMainDatabase*>(object)) {
      return const_cast<TXMLObject*>(object);
    }
    if (auto* component = dynamic_cast<const TcvComponent*>(object)) {
      const TcvMainDatabase* database = GetDatabase(component);
      if (database && database->Packages) {
        if (TcvPackage* package = database->Packages->FindByFileName(component->Package)) {
          return package;
        }
      }
    }
  }
  return nullptr;
}

}  // namespace cv
