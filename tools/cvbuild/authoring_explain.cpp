// `cvbuild explain`: what a setup file or ".cvp" package holds, read the way
// the engine reads it (trailer from the end, cabinets found by the unpack
// library's scan and listed by its extraction). The data cabinet's file list
// of a password-protected package is shown only with the right password.

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>

#include "authoring_commands.h"
#include "authoring_options.h"
#include "command_line.h"
#include "database/xml_tag.h"
#include "engine/package_database.h"
#include "engine/package_header.h"
#include "package_file.h"
#include "project.h"
#include "script/package_password.h"
#include "unpack/extraction.h"

namespace cv::build {

namespace {

struct ListedFile {
  std::string Name;
  std::uint32_t Size = 0;
  std::uint32_t DateTime = 0;
};

struct CabinetFacts {
  bool Found = false;
  std::uint64_t Offset = 0;
  std::uint32_t Size = 0;
  std::vector<std::string> FolderCompression;  // one per folder
  std::vector<ListedFile> Files;
  bool FilesShown = true;
  // An MSZIP block starts with "CK"; a first block without it is enciphered.
  // Unknown for stored data, whose bytes say nothing.
  std::optional<bool> Enciphered;
};

// The library calls back through plain routines; one listing at a time.
struct Listing {
  std::vector<ListedFile>* Files = nullptr;
  std::string MainDatabaseFolder;  // extract "maindb" here when not empty
};
Listing* gListing = nullptr;

std::int32_t CV_STDCALL Notify(std::int32_t type, void* record) {
  if (type != unpack::kFileToExtract) return type == unpack::kCabinetNeeded ? -1 : 1;
  auto& file = *static_cast<unpack::FileRecord*>(record);
  gListing->Files->push_back({file.Name, file.Size, file.DateTime});
  file.OutputPath[0] = '\0';
  if (!gListing->MainDatabaseFolder.empty() && std::string_view(file.Name) == "maindb") {
    const std::string path = (std::filesystem::path(gListing->MainDatabaseFolder) / "maindb").string();
    std::snprintf(file.OutputPath, sizeof file.OutputPath, "%s", path.c_str());
    return 1;
  }
  return 0;
}

std::string CompressionName(std::uint16_t type) {
  switch (type & 0x000F) {
    case 0: return "stored";
    case 1: return "mszip";
    case 2: return "quantum";
    case 3: return "lzx";
    default: return "unknown(" + std::to_string(type) + ")";
  }
}

std::uint32_t Le(const unsigned char* p, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | p[i];
  return value;
}

// The cabinet header and folder table at `offset`, unscrambled with `key`.
void ReadCabinetHeader(std::ifstream& in, std::uint64_t offset, std::uint8_t key, CabinetFacts& facts) {
  unsigned char header[36 + 4 + 255 * 8] = {};
  in.clear();
  in.seekg(static_cast<std::streamoff>(offset));
  in.read(reinterpret_cast<char*>(header), sizeof header);
  const auto got = static_cast<std::size_t>(in.gcount());
  for (std::size_t i = 0; i < got; ++i) header[i] ^= key;
  if (got < 36) return;
  facts.Size = Le(header + 8, 4);
  const std::uint32_t folders = Le(header + 26, 2);
  const std::uint32_t flags = Le(header + 30, 2);
  std::size_t at = 36;
  std::uint32_t folderReserve = 0;
  if (flags & 4) {
    const std::uint32_t headerReserve = Le(header + 36, 2);
    folderReserve = header[38];
    at = 40 + headerReserve;
  }
  if (flags & 1) at = std::min(got, at + 2 * 256);  // previous cabinet and disk names
  std::uint32_t firstBlock = 0;
  std::uint32_t dataReserve = (flags & 4) ? header[39] : 0;
  for (std::uint32_t i = 0; i < folders && at + 8 <= got; ++i) {
    const auto type = static_cast<std::uint16_t>(Le(header + at + 6, 2));
    facts.FolderCompression.push_back(CompressionName(type));
    if (i == 0 && (type & 0x000F) == 1) firstBlock = Le(header + at, 4);
    at += 8 + folderReserve;
  }
  if (firstBlock == 0) return;
  unsigned char block[8 + 255 + 2] = {};
  in.clear();
  in.seekg(static_cast<std::streamoff>(offset + firstBlock));
  in.read(reinterpret_cast<char*>(block), static_cast<std::streamsize>(8 + dataReserve + 2));
  if (static_cast<std::size_t>(in.gcount()) != 8 + dataReserve + 2) return;
  const unsigned char c = block[8 + dataReserve] ^ key, k = block[9 + dataReserve] ^ key;
  facts.Enciphered = !(c == 'C' && k == 'K');
}

void ListCabinet(const std::string& path, std::int32_t index, bool scrambled, Listing& listing) {
  gListing = &listing;
  unpack::Extraction extraction(path, index, scrambled);
  if (extraction.Valid()) extraction.Enumerate(&Notify, nullptr);
  gListing = nullptr;
}

std::string DosTimeText(std::uint32_t value) {
  const unsigned date = value >> 16, time = value & 0xFFFF;
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", 1980 + (date >> 9), (date >> 5) & 15,
                date & 31, time >> 11, (time >> 5) & 63, (time & 31) * 2);
  return text;
}

// The password check value from the main database's variables; "" when the
// file has no main database or it holds none.
std::string PasswordCheckOf(const std::string& maindbPath) {
  const std::string text = ReadDatabaseFile(maindbPath);
  if (text.empty()) return {};
  TXMLTag root;
  try {
    root.Parse(text);
  } catch (const TXMLParserError&) {
    return {};
  }
  std::string check;
  for (const auto& list : root.Children()) {
    if (list->Kind != XmlKind::xkElement || list->Name() != "variables") continue;
    for (const auto& variable : list->Children()) {
      if (variable->Kind == XmlKind::xkElement && TagAttribute(*variable, "name") == "PswCheckHash") {
        check = TagAttribute(*variable, "value");
      }
    }
  }
  return check;
}

std::string FilesJson(const CabinetFacts& cabinet) {
  std::string json = "[";
  for (std::size_t i = 0; i < cabinet.Files.size(); ++i) {
    const ListedFile& file = cabinet.Files[i];
    json += (i ? "," : "") + std::string("{\"name\":") + JsonString(file.Name) +
            ",\"size\":" + std::to_string(file.Size) + ",\"time\":" + JsonString(DosTimeText(file.DateTime)) + "}";
  }
  return json + "]";
}

std::string CabinetJson(const CabinetFacts& cabinet) {
  if (!cabinet.Found) return "null";
  std::string json = "{\"offset\":" + std::to_string(cabinet.Offset) + ",\"size\":" + std::to_string(cabinet.Size) +
                     ",\"folders\":[";
  for (std::size_t i = 0; i < cabinet.FolderCompression.size(); ++i) {
    json += (i ? "," : "") + std::string("{\"compression\":\"") + cabinet.FolderCompression[i] + "\"}";
  }
  json += "],\"files\":" + (cabinet.FilesShown ? FilesJson(cabinet) : std::string("null")) + "}";
  return json;
}

void PrintCabinetText(std::FILE* out, const char* title, const CabinetFacts& cabinet) {
  if (!cabinet.Found) {
    std::fprintf(out, "%s: not found\n", title);
    return;
  }
  std::fprintf(out, "%s: offset %llu, %u bytes, %llu folder(s)", title,
               static_cast<unsigned long long>(cabinet.Offset), cabinet.Size,
               static_cast<unsigned long long>(cabinet.FolderCompression.size()));
  for (const std::string& compression : cabinet.FolderCompression) std::fprintf(out, " %s", compression.c_str());
  std::fputc('\n', out);
  if (!cabinet.FilesShown) {
    std::fputs("  (file list protected by the package password)\n", out);
    return;
  }
  for (const ListedFile& file : cabinet.Files) {
    std::fprintf(out, "  %10u  %s  %s\n", file.Size, DosTimeText(file.DateTime).c_str(), file.Name.c_str());
  }
}

}  // namespace

int RunExplain(const AuthoringOptions& options, std::FILE* out, std::FILE* messages) {
  const std::string& path = options.Positional.front();
  std::ifstream in(path, std::ios::binary);
  std::error_code sizeError;
  const std::uint64_t fileSize = std::filesystem::file_size(path, sizeError);
  if (!in || sizeError) {
    std::fprintf(messages, "cvbuild explain: cannot open %s\n", path.c_str());
    return kExitInput;
  }
  const std::uint64_t tailSize = std::min<std::uint64_t>(fileSize, kPackageTrailerReadSize);
  std::string tail(static_cast<std::size_t>(tailSize), '\0');
  in.seekg(static_cast<std::streamoff>(fileSize - tailSize));
  in.read(tail.data(), static_cast<std::streamsize>(tailSize));
  const std::optional<PackageTrailer> trailer = ParsePackageTrailer(tail, fileSize);
  if (!trailer) {
    std::fprintf(messages, "cvbuild explain: %s is not a setup or package file (no \"%s\" trailer)\n",
                 path.c_str(), std::string(kPackageEndMarker).c_str());
    return kExitInput;
  }
  const PackageHeader& header = trailer->Header;
  const bool scrambled = (header.Flags & kPackageScrambled) != 0;
  const std::uint8_t key = scrambled ? kScrambleKey : 0;
  const std::vector<std::uint64_t> offsets = FindEmbeddedCabinets(path, key, 2);
  CabinetFacts cabinets[2];
  std::error_code error;
  const std::filesystem::path scratch =
      std::filesystem::temp_directory_path(error) / ("cvbuild-explain-" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(scratch, error);
  for (std::size_t i = 0; i < offsets.size() && i < 2; ++i) {
    cabinets[i].Found = true;
    cabinets[i].Offset = offsets[i];
    ReadCabinetHeader(in, offsets[i], key, cabinets[i]);
    Listing listing;
    listing.Files = &cabinets[i].Files;
    if (i == 0) listing.MainDatabaseFolder = scratch.string();
    ListCabinet(path, static_cast<std::int32_t>(i), scrambled, listing);
  }
  const std::string check = PasswordCheckOf((scratch / "maindb").string());
  std::filesystem::remove_all(scratch, error);
  // The setup file's main database holds the password check; a ".cvp" file
  // has none, but its enciphered data shows.
  const bool protectedData = !check.empty() || cabinets[1].Enciphered.value_or(false);
  const bool unlocked = !check.empty() && !options.Password.empty() && CheckPassword(check, options.Password);
  if (protectedData && !unlocked) {
    cabinets[1].FilesShown = false;
    cabinets[1].Files.clear();
  }
  const bool wrongPassword = !check.empty() && !options.Password.empty() && !unlocked;
  if (wrongPassword) std::fputs("cvbuild explain: the password is wrong\n", messages);
  const bool setupFile = header.EngineSize > 0;
  if (options.Json) {
    std::string json = "{\"file\":" + JsonString(path) + ",\"kind\":\"" + (setupFile ? "setup" : "package") +
                       "\",\"size\":" + std::to_string(fileSize) + ",\"header\":{\"engineSize\":" +
                       std::to_string(header.EngineSize) + ",\"packageSize\":" + std::to_string(header.PackageSize) +
                       ",\"flags\":" + std::to_string(header.Flags) + ",\"presetupSize\":" +
                       std::to_string(header.PresetupSize) + ",\"dataSize\":" + std::to_string(header.DataSize) +
                       "},\"scrambled\":" + (scrambled ? "true" : "false") +
                       ",\"noProgressWindow\":" + ((header.Flags & kPackageNoProgressWindow) ? "true" : "false") +
                       ",\"silentPresetup\":" + ((header.Flags & kPackageSilentPresetup) ? "true" : "false") +
                       ",\"passwordProtected\":" + (protectedData ? "true" : "false") +
                       ",\"unlocked\":" + (unlocked ? "true" : "false") +
                       ",\"headerVariables\":" + JsonString(trailer->Variables) +
                       ",\"cabinets\":[" + CabinetJson(cabinets[0]) + "," + CabinetJson(cabinets[1]) + "]}\n";
    std::fputs(json.c_str(), out);
  } else {
    std::fprintf(out, "%s: %s file, %llu bytes\n", path.c_str(), setupFile ? "setup" : "package",
                 static_cast<unsigned long long>(fileSize));
    std::fprintf(out, "engine size: %u\npackage size: %u\nflags: %d%s%s%s\npresetup size: %lld\ndata size: %lld\n",
                 header.EngineSize, header.PackageSize, header.Flags, scrambled ? " scrambled" : "",
                 (header.Flags & kPackageNoProgressWindow) ? " no-progress-window" : "",
                 (header.Flags & kPackageSilentPresetup) ? " silent-presetup" : "",
                 static_cast<long long>(header.PresetupSize), static_cast<long long>(header.DataSize));
    std::fprintf(out, "password: %s\n",
                 !protectedData ? "none" : unlocked ? "protected (unlocked)" : "protected");
    PrintCabinetText(out, "cabinet 0 (presetup)", cabinets[0]);
    PrintCabinetText(out, "cabinet 1 (data)", cabinets[1]);
    std::fprintf(out, "header variables:%s%s\n", trailer->Variables.empty() ? " none" : "\n",
                 trailer->Variables.c_str());
  }
  return wrongPassword ? kExitInput : kExitOk;
}

}  // namespace cv::build
