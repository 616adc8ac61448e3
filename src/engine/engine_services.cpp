#include "engine/engine_services.h"

#include "database/feature_selection.h"
#include "database/variable_access.h"
#include "script/package_password.h"

namespace cv {

bool CheckPackagePassword(TcvMainDatabase& database, const std::string& password) {
  return CheckPassword(GetVar(&database, "PswCheckHash", ""), password);
}

bool HasPackagePassword(TcvMainDatabase& database) {
  return !GetVar(&database, "PswCheckHash", "").empty();
}

std::int32_t SetPackagePassword(TcvMainDatabase& database, const std::string& password) {
  if (!CheckPackagePassword(database, password)) return 1;
  database.Password = password;
  return 0;
}

std::int32_t SetInstallType(TcvMainDatabase& database, const std::string& id) {
  return SetActiveInstallType(database, id) ? 0 : -1;
}

}  // namespace cv
