#include "package_file.h"

#include <cstdio>
#include <cstring>
#include <limits>

#include "build_error.h"
#include "script/gost.h"
#include "script/package_password.h"

namespace cv::build {
namespace {

constexpr std::size_t kTrailerSearch = 65536;
// Stands in for the files of an empty data cabinet: a cabinet needs at least
// one file, and a name outside "data\" is skipped by the engine.
constexpr std::string_view kPlaceholderName = "empty";

void PutLittle(std::string& out, std::uint64_t value, int width) {
  for (int i = 0; i < width; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint64_t GetLittle(std::string_view in, std::size_t at, int width) {
  std::uint64_t value = 0;
  for (int i = width - 1; i >= 0; --i) {
    value = (value << 8) | static_cast<std::uint8_t>(in[at + static_cast<std::size_t>(i)]);
  }
  return value;
}

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

std::string EncodeHeader(const PackageHeader& header) {
  std::string bytes;
  PutLittle(bytes, header.EngineSize, 4);
  PutLittle(bytes, header.PackageSize, 4);
  PutLittle(bytes, static_cast<std::uint32_t>(header.Flags), 4);
  PutLittle(bytes, static_cast<std::uint64_t>(header.PresetupSize), 8);
  PutLittle(bytes, static_cast<std::uint64_t>(header.DataSize), 8);
  return bytes;
}

std::optional<PackageTrailer> ReadPackageTrailer(std::string_view fileTail) {
  std::string_view tail =
      fileTail.size() > kTrailerSearch ? fileTail.substr(fileTail.size() - kTrailerSearch) : fileTail;
  if (tail.size() < kEndMarker.size()) return std::nullopt;
  for (std::size_t position = tail.size() - kEndMarker.size() + 1; position-- > 0;) {
    if (tail.substr(position, kEndMarker.size()) != kEndMarker) continue;
    if (position < kHeaderSize) return std::nullopt;
    const std::size_t at = position - kHeaderSize;
    PackageTrailer trailer;
    trailer.Header.EngineSize = static_cast<std::uint32_t>(GetLittle(tail, at, 4));
    trailer.Header.PackageSize = static_cast<std::uint32_t>(GetLittle(tail, at + 4, 4));
    trailer.Header.Flags = static_cast<std::int32_t>(GetLittle(tail, at + 8, 4));
    trailer.Header.PresetupSize = static_cast<std::int64_t>(GetLittle(tail, at + 12, 8));
    trailer.Header.DataSize = static_cast<std::int64_t>(GetLittle(tail, at + 20, 8));
    trailer.Variables = std::string(tail.substr(position + kEndMarker.size()));
    return trailer;
  }
  return std::nullopt;
}

PackageResult WritePackage(const PackageContent& content, OutputSink& out) {
  PackageResult result;
  PackageHeader& header = result.Header;
  if (!content.EnginePath.empty()) CopyEngine(content.EnginePath, out);
  if (out.Position() > std::numeric_limits<std::uint32_t>::max()) {
    ThrowInput("the engine program is larger than 4 GiB");
  }
  header.EngineSize = static_cast<std::uint32_t>(out.Position());
  header.Flags = content.Flags | (content.Scramble ? kFlagScrambled : 0);
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

  const std::uint64_t packageSize = out.Position() + kHeaderSize + kEndMarker.size();
  if (packageSize > std::numeric_limits<std::uint32_t>::max()) {
    ThrowOutput("the package would be larger than 4 GiB, which its header cannot describe");
  }
  header.PackageSize = static_cast<std::uint32_t>(packageSize);
  const std::string headerBytes = EncodeHeader(header);
  out.Write(headerBytes.data(), headerBytes.size());
  out.Write(kEndMarker.data(), kEndMarker.size());
  out.Write(content.HeaderVariables.data(), content.HeaderVariables.size());
  result.FileSize = out.Position();
  return result;
}

std::vector<std::uint64_t> FindCabinetSignatures(const std::string& path, std::uint8_t key,
                                                 std::size_t count) {
  static constexpr std::uint8_t kSignature[8] = {'M', 'S', 'C', 'F', 0, 0, 0, 0};
  std::uint8_t wanted[8];
  for (int i = 0; i < 8; ++i) wanted[i] = kSignature[i] ^ key;
  std::vector<std::uint64_t> hits;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return hits;
  std::vector<std::uint8_t> buffer(1 << 20);
  std::size_t kept = 0;      // bytes carried over from the previous chunk
  std::uint64_t base = 0;    // file offset of buffer[0]
  while (hits.size() < count) {
    const std::size_t got = std::fread(buffer.data() + kept, 1, buffer.size() - kept, file);
    const std::size_t filled = kept + got;
    if (filled < 8) break;
    for (std::size_t i = 0; i + 8 <= filled && hits.size() < count; ++i) {
      if (std::memcmp(buffer.data() + i, wanted, 8) == 0) hits.push_back(base + i);
    }
    if (got == 0) break;
    kept = 7;  // a signature may straddle two chunks
    std::memmove(buffer.data(), buffer.data() + filled - kept, kept);
    base += filled - kept;
  }
  std::fclose(file);
  return hits;
}

}  // namespace cv::build
