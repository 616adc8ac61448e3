#pragma once
// Packages: the main package appended to the engine and the further package
// files, each with the components, plug-ins, variables and file descriptions
// of its own database.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "database/components.h"
#include "database/list_items.h"
#include "database/plugin_config.h"
#include "database/variables.h"

namespace cv {

// A packaged file as the copy step needs to know it.
class TcvFileInfo : public TXMLObject {
  CV_XML_CLASS(TcvFileInfo, TXMLObject)

 public:
  using TXMLObject::TXMLObject;
  std::string Name;  // inside the package
  std::string Version;
  std::string FontName;
  std::string AssemblyData;
  std::int32_t Size = 0;
};

class TcvFileInfos : public TXMLObjectList {
  CV_XML_CLASS(TcvFileInfos, TXMLObjectList)

 public:
  using TXMLObjectList::TXMLObjectList;
  CV_XML_LIST_ITEMS_DECL
  // The first item of that name, ignoring case.
  TcvFileInfo* FindByName(std::string_view name) const;
};

class TcvPackage : public TXMLObject {
  CV_XML_CLASS(TcvPackage, TXMLObject)

 public:
  using TXMLObject::TXMLObject;
  std::string ID;
  bool Main = false;     // appended to the engine
  std::string FileName;  // components name their package by it
  std::string TempPath;  // where its files were extracted, with a trailing backslash
  std::string FullFileName;
  bool Needed = false;    // a component to install lives in it
  bool Prepared = false;  // extracted
  std::int32_t Flags = 0;
  // Byte counts, kept as numbers with integral values.
  double PresetupSize = 0;
  double DataSize = 0;
  std::unique_ptr<TcvComponents> Components;
  std::unique_ptr<TcvPlugins> Plugins;
  std::unique_ptr<TcvVariables> Variables;
  std::unique_ptr<TcvFileInfos> FileInfos;

  // The variables the package file carries after its header: read with the
  // header, never written with the package.
  TcvVariables& HeaderVariables();

 private:
  std::unique_ptr<TcvVariables> headerVariables_;
};

class TcvPackages : public TXMLObjectList {
  CV_XML_CLASS(TcvPackages, TXMLObjectList)

 public:
  using TXMLObjectList::TXMLObjectList;
  CV_XML_LIST_ITEMS_DECL
  TcvPackage* Package(int index) const { return ItemAs<TcvPackage>(index); }
  // The first package whose FileName equals `name`, ignoring case.
  TcvPackage* FindByFileName(std::string_view name) const;
};

}  // namespace cv
