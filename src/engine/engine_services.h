#pragma once
// Small services of the engine that plug-ins and scripts call: the package
// password and the install type.

#include <cstdint>
#include <string>

#include "database/main_database.h"

namespace cv {

// Whether `password` opens the package: always when the project carries no
// check value (the variable PswCheckHash).
bool CheckPackagePassword(TcvMainDatabase& database, const std::string& password);
bool HasPackagePassword(TcvMainDatabase& database);
// 0, and the password kept for this run, when it opens the package; 1, and
// nothing kept, when it does not.
std::int32_t SetPackagePassword(TcvMainDatabase& database, const std::string& password);

// 0 when the install type was made the active one, -1 when there is no such
// install type or it cannot be chosen.
std::int32_t SetInstallType(TcvMainDatabase& database, const std::string& id);

}  // namespace cv
