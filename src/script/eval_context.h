#pragma once
// What one evaluation sees: whose variables, on whose behalf, and whether
// operands have their references expanded. Built per evaluation and passed
// down to every operator and function.

#include <cstdint>

namespace cv {

class TXMLObject;

struct TcvEvalContext {
  TXMLObject* Database = nullptr;  // main database or a package; null: the main database
  std::int32_t PluginId = 0;       // 0 for the engine
  bool ExpandReferences = false;
  std::int32_t Extra = 0;  // passed through to plug-in function calls
};

}  // namespace cv
