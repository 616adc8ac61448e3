#include "package_plan.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <limits>

#include "build_error.h"
#include "database/language_tables.h"
#include "pe_version.h"
#include "platform/case_map.h"
#include "platform/font_name.h"
#include "platform/wildcards.h"

namespace cv::build {
namespace fs = std::filesystem;
namespace {

constexpr std::uint64_t kMaxFileInfoSize = std::numeric_limits<std::int32_t>::max();

std::int64_t FileTimeUtc(const fs::path& path) {
  std::error_code error;
  const auto written = fs::last_write_time(path, error);
  if (error) return 0;
  const auto system = std::chrono::file_clock::to_sys(written);
  return std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
}

// A relative path with backslashes as a host path.
fs::path HostPath(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return fs::path(path);
}

bool EndsWithNoCase(const std::string& text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         SameTextNoCase(std::string_view(text).substr(text.size() - suffix.size()), suffix);
}

class Planner {
 public:
  Planner(Project& project, const PlanOptions& options) : project_(project), options_(options) {}

  ProjectPlan Run() {
    const std::int64_t generated =
        options_.Timestamp ? *options_.Timestamp : FileTimeUtc(project_.Path());
    std::tie(plan_.GeneratedDate, plan_.GeneratedTime) = DosDateTime(generated);
    PlanPackages();
    AssignComponents();
    for (PackagePlan& package : plan_.Packages) {
      PlanPictures(package);
      PlanPlugins(package);
      PlanData(package);
    }
    PlanLanguages();
    return std::move(plan_);
  }

 private:
  void Warn(const std::string& message) const {
    if (options_.Warning) options_.Warning(message);
  }

  void PlanPackages() {
    TcvPackages& packages = *project_.Database().Packages;
    int mainIndex = -1;
    for (int i = 0; i < packages.Count(); ++i) {
      TcvPackage& entry = *packages.Package(i);
      if (!entry.Main) continue;
      if (mainIndex >= 0) ThrowInput(project_.Where(entry) + ": a second main package");
      mainIndex = i;
    }
    if (mainIndex < 0 && packages.Count() > 0) mainIndex = 0;
    if (mainIndex < 0) {
      PackagePlan main;
      main.Id = main.FileName = options_.MainPackageId;
      main.Main = true;
      plan_.Packages.push_back(std::move(main));
    }
    for (int pass = 0; pass < 2; ++pass) {
      for (int i = 0; i < packages.Count(); ++i) {
        if ((i == mainIndex) != (pass == 0)) continue;
        TcvPackage& entry = *packages.Package(i);
        PackagePlan package;
        package.Entry = &entry;
        package.Main = i == mainIndex;
        // The engine finds a component's package by ID in one place and by
        // file name in another: a built package has one name for both, its
        // file's name (for the main package, the setup file's).
        package.Id = package.Main ? options_.MainPackageId
                                  : (entry.FileName.empty() ? entry.ID : entry.FileName);
        package.FileName = package.Id;
        if (package.Id.empty()) ThrowInput(project_.Where(entry) + ": a package needs an id");
        if (package.FileName.find_first_of("\\/:*?\"<>|") != std::string::npos) {
          ThrowInput(project_.Where(entry) + ": package file name \"" + package.FileName +
                     "\" is not a plain file name");
        }
        for (const PackagePlan& other : plan_.Packages) {
          if (SameTextNoCase(other.Id, package.Id)) {
            ThrowInput(project_.Where(entry) + ": package \"" + package.Id +
                       "\" is defined twice");
          }
        }
        plan_.Packages.push_back(std::move(package));
      }
    }
  }

  PackagePlan* FindPackage(const std::string& name) {
    if (name.empty()) return &plan_.Packages.front();
    // By the project's ID first, then by its file name, then by the built name.
    for (PackagePlan& package : plan_.Packages) {
      if (package.Entry && SameTextNoCase(package.Entry->ID, name)) return &package;
    }
    for (PackagePlan& package : plan_.Packages) {
      if (package.Entry && SameTextNoCase(package.Entry->FileName, name)) return &package;
    }
    for (PackagePlan& package : plan_.Packages) {
      if (SameTextNoCase(package.Id, name)) return &package;
    }
    return nullptr;
  }

  void AssignComponents() {
    TcvComponents& components = *project_.Database().Components;
    for (int i = 0; i < components.Count(); ++i) {
      TcvComponent& component = *components.Component(i);
      if (component.ID().empty()) ThrowInput(project_.Where(component) + ": a component needs an id");
      if (component.ID().find_first_of("\\/") != std::string::npos) {
        ThrowInput(project_.Where(component) + ": component id \"" + component.ID() +
                   "\" holds a path separator");
      }
      for (int j = 0; j < i; ++j) {
        if (SameTextNoCase(components.Component(j)->ID(), component.ID())) {
          ThrowInput(project_.Where(component) + ": component \"" + component.ID() +
                     "\" is defined twice");
        }
      }
      PackagePlan* package = FindPackage(component.Package);
      if (!package) {
        ThrowInput(project_.Where(component) + ": component \"" + component.ID() +
                   "\" names the unknown package \"" + component.Package + "\"");
      }
      component.Package = package->Id;
      package->Components.push_back(&component);
    }
  }

  // A path of the project (backslashes or slashes) as a host path below the
  // project's folder; absolute paths and ".." are refused.
  fs::path Resolve(const std::string& where, const std::string& relative) const {
    const std::string path = HostPath(relative).string();
    const bool absolute =
        (!path.empty() && path[0] == '/') || (path.size() >= 2 && path[1] == ':');
    if (absolute) ThrowInput(where + ": \"" + relative + "\" must be relative to the project");
    for (const fs::path& part : fs::path(path)) {
      if (part == "..") ThrowInput(where + ": \"" + relative + "\" leaves the project's folder");
    }
    return fs::path(project_.Folder()) / fs::path(path);
  }

  CabMember FileMember(std::string name, const fs::path& source) const {
    CabMember member;
    member.Name = std::move(name);
    member.SourcePath = source.string();
    std::error_code error;
    member.Size = fs::file_size(source, error);
    if (error) ThrowInput("cannot read " + member.SourcePath);
    std::tie(member.DosDate, member.DosTime) =
        DosDateTime(options_.Timestamp ? *options_.Timestamp : FileTimeUtc(source));
    return member;
  }

  // Files matching a mask in a folder (and its subfolders when `recursive`),
  // as paths relative to the folder with backslashes, in byte order.
  std::vector<std::string> Matches(const fs::path& folder, const std::string& mask,
                                   bool recursive) const {
    std::vector<std::string> found;
    std::error_code error;
    if (!fs::is_directory(folder, error)) return found;
    auto consider = [&](const fs::directory_entry& entry) {
      if (!entry.is_regular_file()) return;
      if (!MatchesMask(entry.path().filename().string(), mask, true)) return;
      std::string relative = entry.path().lexically_relative(folder).generic_string();
      std::replace(relative.begin(), relative.end(), '/', '\\');
      found.push_back(relative);
    };
    if (recursive) {
      for (const auto& entry : fs::recursive_directory_iterator(folder)) consider(entry);
    } else {
      for (const auto& entry : fs::directory_iterator(folder)) consider(entry);
    }
    std::sort(found.begin(), found.end());
    return found;
  }

  // An authoring file setting of a package: its own element first, then,
  // for the main package, the "build" element.
  std::string Setting(const PackagePlan& package, std::string_view name) const {
    std::string value;
    if (package.Entry) value = project_.Attribute(*package.Entry, name);
    if (value.empty() && package.Main && project_.BuildElement()) {
      value = TagAttribute(*project_.BuildElement(), name);
    }
    return value;
  }

  std::string SettingWhere(const PackagePlan& package) const {
    if (package.Entry && !project_.Attribute(*package.Entry, "splash").empty()) {
      return project_.Where(*package.Entry);
    }
    const TXMLTag* build = project_.BuildElement();
    if (!build) return project_.Path();
    return project_.Path() + ":" + std::to_string(build->Line) + ":" +
           std::to_string(build->Column);
  }

  std::uint32_t NumberSetting(const PackagePlan& package, std::string_view name,
                              std::uint32_t fallback, std::uint32_t limit) const {
    const std::string text = Setting(package, name);
    if (text.empty()) return fallback;
    std::uint64_t value = 0;
    for (char c : text) {
      if (c < '0' || c > '9' || value > limit) {
        ThrowInput(SettingWhere(package) + ": " + std::string(name) + "=\"" + text +
                   "\" is not a number from 0 to " + std::to_string(limit));
      }
      value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > limit) {
      ThrowInput(SettingWhere(package) + ": " + std::string(name) + "=\"" + text +
                 "\" is not a number from 0 to " + std::to_string(limit));
    }
    return static_cast<std::uint32_t>(value);
  }

  void AddPresetupFile(PackagePlan& package, std::string_view setting, const std::string& name) {
    const std::string relative = Setting(package, setting);
    if (relative.empty()) return;
    const fs::path source = Resolve(SettingWhere(package), relative);
    std::error_code error;
    if (!fs::is_regular_file(source, error)) ThrowInput("file not found: " + source.string());
    package.Pictures.push_back(FileMember(name, source));
  }

  void PlanPictures(PackagePlan& package) {
    if (Setting(package, "noprogress") == "1") package.Flags |= 2;
    if (Setting(package, "silentpresetup") == "1") package.Flags |= 4;
    AddPresetupFile(package, "splash", "splash.bmp");
    if (!package.Pictures.empty()) {
      // The engine reads how long the splash stays and how opaque it is
      // from the last 8 bytes of the picture file.
      CabMember& splash = package.Pictures.back();
      const std::uint32_t seconds = NumberSetting(package, "splashtime", 0, 3600);
      const std::uint32_t opacity = NumberSetting(package, "splashopacity", 100, 100);
      splash.Data = ReadInputFile(splash.SourcePath);
      splash.SourcePath.clear();
      for (std::uint32_t value : {seconds, opacity}) {
        for (int shift = 0; shift < 32; shift += 8) {
          splash.Data += static_cast<char>((value >> shift) & 0xFF);
        }
      }
      splash.Size = splash.Data.size();
    }
    AddPresetupFile(package, "splashregion", "splash.rgn");
    AddPresetupFile(package, "presetup", "presetup.bmp");
    AddPresetupFile(package, "presetupregion", "presetup.rgn");
    // The assembly tool the engine runs for files bound for the global
    // assembly cache, and the uninstaller later.
    AddPresetupFile(package, "gacutil", "gacutil.exe");
  }

  void PlanPlugins(PackagePlan& package) {
    if (!package.Entry) return;
    const TcvPlugins& plugins = *package.Entry->Plugins;
    for (int i = 0; i < plugins.Count(); ++i) {
      const TcvPlugin& plugin = *plugins.Plugin(i);
      const std::string src = project_.Attribute(plugin, "src");
      const std::string where = project_.Where(plugin);
      if (src.empty()) {
        if (plugin.DebugDll.empty()) {
          ThrowInput(where + ": plug-in \"" + plugin.ID + "\" names no DLL (attribute src)");
        }
        continue;
      }
      const fs::path source = Resolve(where, src);
      const std::string name = source.filename().string();
      std::vector<fs::path> files;
      if (HasWildcards(name)) {
        for (const std::string& match : Matches(source.parent_path(), name, false)) {
          files.push_back(source.parent_path() / HostPath(match));
        }
        if (files.empty()) ThrowInput(where + ": no file matches " + source.string());
      } else {
        std::error_code error;
        if (!fs::is_regular_file(source, error)) ThrowInput("file not found: " + source.string());
        files.push_back(source);
      }
      for (const fs::path& file : files) {
        // The engine looks for "*.dll" in the plug-in's folder.
        if (!EndsWithNoCase(file.filename().string(), ".dll")) {
          ThrowInput(where + ": plug-in file " + file.string() + " does not end in .dll");
        }
        package.Plugins.push_back(
            FileMember("plugins\\" + std::to_string(i) + "\\" + file.filename().string(), file));
      }
    }
  }

  void AddDataFile(PackagePlan& package, const std::string& componentId,
                   const std::string& relative, const fs::path& source, bool font,
                   std::uint64_t& componentBytes) {
    const std::string infoName = componentId + "\\" + relative;
    for (const FileInfoRecord& info : package.FileInfos) {
      if (SameTextNoCase(info.Name, infoName)) return;  // named twice: packed once
    }
    CabMember member = FileMember("data\\" + infoName, source);
    if (member.Size > kMaxFileInfoSize) {
      ThrowInput(source.string() + " is larger than 2 GiB, which a package cannot describe");
    }
    FileInfoRecord info;
    info.Name = infoName;
    info.Size = static_cast<std::int32_t>(member.Size);
    info.Version = PeVersion(source);
    // The name the engine lists the installed font under.
    if (font) info.FontName = FontFullNameOfFile(source.string());
    componentBytes += member.Size;
    package.FileInfos.push_back(std::move(info));
    package.Data.push_back(std::move(member));
  }

  static std::string PeVersion(const fs::path& source) {
    return PeFileVersionOfFile(source.string());
  }

  void PlanData(PackagePlan& package) {
    for (TcvComponent* component : package.Components) {
      std::uint64_t bytes = 0;
      const TcvFiles& files = *component->Files;
      for (int i = 0; i < files.Count(); ++i) {
        const TcvFile& file = *files.ItemAs<TcvFile>(i);
        if (file.Action != TcvInstallAction::add || file.Flags.Contains(TcvFlag::external)) {
          continue;
        }
        const std::string where = project_.Where(file);
        const std::size_t cut = file.Src.find_last_of("\\/");
        const std::string folderPart = cut == std::string::npos ? "" : file.Src.substr(0, cut + 1);
        const std::string namePart = cut == std::string::npos ? file.Src : file.Src.substr(cut + 1);
        if (namePart.empty()) continue;  // a folder to create, nothing to pack
        if (HasWildcards(folderPart)) {
          ThrowInput(where + ": wildcards are allowed only in the file name of \"" + file.Src +
                     "\"");
        }
        const fs::path source = Resolve(where, file.Src);
        const bool font = file.Flags.Contains(TcvFlag::reg_font);
        if (HasWildcards(namePart)) {
          const fs::path folder = source.parent_path();
          const std::vector<std::string> matches = Matches(folder, namePart, true);
          if (matches.empty()) Warn(where + ": no file matches \"" + file.Src + "\"");
          for (const std::string& match : matches) {
            AddDataFile(package, component->ID(), folderPart + match, folder / HostPath(match),
                        font, bytes);
          }
          continue;
        }
        std::error_code error;
        if (fs::is_directory(source, error)) continue;  // a folder to create
        if (!fs::is_regular_file(source, error)) ThrowInput("file not found: " + source.string());
        AddDataFile(package, component->ID(), file.Src, source, font, bytes);
      }
      if (component->Size == 0) {
        component->Size = static_cast<std::int32_t>(
            std::min<std::uint64_t>((bytes + 1023) / 1024, std::numeric_limits<std::int32_t>::max()));
      }
    }
  }

  void PlanLanguages() {
    const TXMLTag* build = project_.BuildElement();
    const std::string file = build ? TagAttribute(*build, "languages") : std::string();
    auto tables = TcvLngTables::New();
    if (file.empty()) {
      tables->Assign(static_cast<const TXMLObject&>(*project_.Database().Languages));
    } else {
      const fs::path source = Resolve(project_.Path(), file);
      const std::string text = ReadInputFile(source.string());
      TXMLTag root;
      ParseDocument(source.string(), text, root);
      if (root.Name() != "languages") {
        ThrowInput(source.string() + ":1:1: the root element is \"" + root.Name() +
                   "\", a languages document has \"languages\"");
      }
      tables->Assign(root);
    }
    if (tables->Count() == 0) Warn(project_.Path() + ": the project has no language tables");
    TXMLTag root;
    root.SetName("languages");
    tables->AssignTo(root);
    plan_.Languages = root.AsXML();
  }

  Project& project_;
  const PlanOptions& options_;
  ProjectPlan plan_;
};

}  // namespace

std::pair<std::uint16_t, std::uint16_t> DosDateTime(std::int64_t secondsUtc) {
  using namespace std::chrono;
  const sys_seconds moment{seconds{secondsUtc}};
  const sys_days day = floor<days>(moment);
  year_month_day date{day};
  hh_mm_ss<seconds> time{moment - day};
  if (date.year() < year{1980}) return {0x21, 0};  // 1980-01-01 00:00:00
  if (date.year() > year{2107}) return {static_cast<std::uint16_t>((127 << 9) | (12 << 5) | 31),
                                        static_cast<std::uint16_t>((23 << 11) | (59 << 5) | 29)};
  const auto dosDate = static_cast<std::uint16_t>(
      ((static_cast<int>(date.year()) - 1980) << 9) |
      (static_cast<unsigned>(date.month()) << 5) | static_cast<unsigned>(date.day()));
  const auto dosTime = static_cast<std::uint16_t>((time.hours().count() << 11) |
                                                  (time.minutes().count() << 5) |
                                                  (time.seconds().count() / 2));
  return {dosDate, dosTime};
}

}  // namespace cv::build

namespace cv::build {

ProjectPlan PlanProject(Project& project, const PlanOptions& options) {
  return Planner(project, options).Run();
}

}  // namespace cv::build
