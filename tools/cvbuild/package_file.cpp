#include "package_file.h"

#include <cstdio>
#include <limits>
#include <memory>
#include <optional>

#include "build_error.h"
#include "script/gost.h"
#include "script/package_password.h"
#include "unpack/cabinet_scan.h"

namespace cv::build {
namespace {

// Stands in for the files of an empty data cabinet: a cabinet needs at least
// one file, and a name outside "data\" is skipped by the engine.
constexpr std::string_view kPlaceholderName = "empty";

void CopyEngine(const std::string& path, OutputSink& out) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) ThrowInput("cannot open the engine program " + path);
  std::vector<char> buffer(1 << 20);
  std::size_t got;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) out.Write(buffer.data(), got);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) ThrowInput("cannot read the engine program " + path);
}

std::int64_t MemberBytes(const std::vector<CabMember>& members) {
  std::int64_t total = 0;
  for (const CabMember& member : members) total += static_cast<std::int64_t>(member.Size);
  return total;
}

}  // namespace

PackageResult WritePackage(const PackageContent& content, OutputSink& out) {
  PackageResult result;
  PackageHeader& header = result.Header;
  if (!content.EnginePath.empty()) CopyEngine(content.EnginePath, out);
  if (out.Position() > std::numeric_limits<std::uint32_t>::max()) {
    ThrowInput("the engine program is larger than 4 GiB");
  }
  header.EngineSize = static_cast<std::uint32_t>(out.Position());
  header.Flags = content.Flags | (content.Scramble ? kPackageScrambled : 0);
  header.PresetupSize = MemberBytes(content.Presetup);
  header.DataSize = MemberBytes(content.Data);

  out.SetScrambleKey(content.Scramble ? kScrambleKey : 0);
  CabOptions presetupOptions = content.Cabinet;
  presetupOptions.Transform = nullptr;  // read before any password is known
  presetupOptions.Progress = nullptr;
  result.Cabinet0Offset = out.Position();
  result.Cabinet0 = WriteCabinet(content.Presetup, presetupOptions, out);

  std::vector<CabMember> placeholder;
  const std::vector<CabMember>* data = &content.Data;
  if (data->empty()) {
    placeholder.push_back(CabMember{std::string(kPlaceholderName), {}, {}, 0});
    data = &placeholder;
  }
  CabOptions dataOptions = content.Cabinet;
  GostCipher cipher;
  if (!content.Password.empty()) {
    const HavalDigest::Digest key = PasswordKey(content.Password);
    cipher.Init(key.data(), 256);
    dataOptions.Transform = [&cipher](std::uint8_t* payload, std::size_t size) {
      cipher.EncryptCBC(payload, payload, size);
    };
  }
  result.Cabinet1Offset = out.Position();
  result.Cabinet1 = WriteCabinet(*data, dataOptions, out);
  cipher.Burn();
  if (!content.Password.empty() && result.Cabinet1.Folders > 1) {
    // The engine deciphers one chain over the blocks the cabinet library
    // reads; moving to the next folder it skips the unread blocks of files
    // left out at the end of the previous one, and the chain would part.
    ThrowInput("a password-protected package holds at most one cabinet folder (" +
               std::to_string(content.Cabinet.MaxBlocksPerFolder) +
               " data blocks of 32 KiB); this one needs " +
               std::to_string(result.Cabinet1.Folders) + ": spread its components over more packages");
  }
  out.SetScrambleKey(0);

  const std::uint64_t packageSize = out.Position() + kPackageHeaderSize + kPackageEndMarker.size();
  if (packageSize > std::numeric_limits<std::uint32_t>::max()) {
    ThrowOutput("the package would be larger than 4 GiB, which its header cannot describe");
  }
  header.PackageSize = static_cast<std::uint32_t>(packageSize);
  unsigned char headerBytes[kPackageHeaderSize];
  EncodePackageHeader(header, headerBytes);
  out.Write(headerBytes, sizeof headerBytes);
  out.Write(kPackageEndMarker.data(), kPackageEndMarker.size());
  out.Write(content.HeaderVariables.data(), content.HeaderVariables.size());
  result.FileSize = out.Position();
  return result;
}

std::vector<std::uint64_t> FindEmbeddedCabinets(const std::string& path, std::uint8_t key,
                                                std::size_t count) {
  std::vector<std::uint64_t> hits;
  const std::unique_ptr<unpack::File> file = unpack::NativeFileSystem().OpenForReading(path);
  if (!file) return hits;
  while (hits.size() < count) {
    const std::optional<std::int64_t> offset =
        unpack::FindEmbeddedCabinet(*file, key, static_cast<std::int32_t>(hits.size()));
    if (!offset) break;
    hits.push_back(static_cast<std::uint64_t>(*offset));
  }
  return hits;
}

}  // namespace cv::build
