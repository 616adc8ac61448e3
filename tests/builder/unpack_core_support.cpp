#include "unpack_core_support.h"

#include <cstdio>
#include <filesystem>

#include "engine/presetup_rules.h"
#include "script/gost.h"
#include "script/package_password.h"
#include "unpack/extraction.h"

namespace cv::test {
namespace {

// The library calls back through plain routines; one extraction at a time.
struct Session {
  std::string folder;
  bool stopAtData = false;
  GostCipher cipher;
  CoreExtractionResult result;
};
Session* gSession = nullptr;

std::int32_t CV_STDCALL Notify(std::int32_t type, void* record) {
  Session& session = *gSession;
  if (type == unpack::kFileToExtract) {
    auto& file = *static_cast<unpack::FileRecord*>(record);
    const std::string name = file.Name;
    session.result.Names.push_back(name);
    if (session.stopAtData && IsDataEntry(name)) return -1;
    std::string relative = name;
    for (char& c : relative) {
      if (c == '\\') c = '/';
    }
    const std::filesystem::path path = std::filesystem::path(session.folder) / relative;
    std::filesystem::create_directories(path.parent_path());
    std::snprintf(file.OutputPath, sizeof file.OutputPath, "%s", path.string().c_str());
    return 1;
  }
  return type == unpack::kCabinetNeeded ? -1 : 1;
}

void CV_STDCALL Decipher(void* buffer, std::int32_t count) {
  gSession->cipher.DecryptCBC(buffer, buffer, static_cast<std::size_t>(count));
}

}  // namespace

CoreExtractionResult ExtractWithCore(const std::string& container, const std::string& folder,
                                     const CoreExtractionOptions& options,
                                     unpack::FileSystem& fileSystem) {
  Session session;
  session.folder = folder;
  session.stopAtData = options.StopAtData;
  if (!options.Password.empty()) {
    const HavalDigest::Digest key = PasswordKey(options.Password);
    session.cipher.Init(key.data(), 256);
  }
  gSession = &session;
  unpack::Extraction extraction(container, options.CabinetIndex, options.Scrambled, fileSystem);
  session.result.Result =
      extraction.Enumerate(&Notify, options.Password.empty() ? nullptr : &Decipher);
  gSession = nullptr;
  session.cipher.Burn();
  return session.result;
}

}  // namespace cv::test
