// The end of a package file on arbitrary bytes: the first byte chooses how
// much larger the whole file claims to be than the bytes given, the rest are
// its last bytes. A trailer found must lie inside them and its header
// variables load into a package's list, whatever the text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "database/main_database.h"
#include "database/packages.h"
#include "engine/package_header.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint64_t before = static_cast<std::uint64_t>(data[0]) * 4099;
  const std::string_view end(reinterpret_cast<const char*>(data + 1), size - 1);
  const auto trailer = cv::ParsePackageTrailer(end, end.size() + before);
  if (!trailer) return 0;
  if (trailer->Variables.size() + cv::kPackageEndMarker.size() + cv::kPackageHeaderSize >
      end.size())
    std::abort();
  static auto database = cv::TcvMainDatabase::New();
  auto package = cv::TcvPackage::New(database->Packages.get());
  cv::LoadHeaderVariables(package->HeaderVariables(), trailer->Variables);
  return 0;
}
