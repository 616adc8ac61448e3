// Any text expands without crashing, leaking or recursing without bound, in
// every combination of the three switches, against a project whose variables
// refer to each other and to themselves.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "database/main_database.h"
#include "database/model_hooks.h"
#include "database/variable_access.h"
#include "script/references.h"

namespace {

cv::TcvMainDatabase& Project() {
  static const auto database = [] {
    auto db = cv::TcvMainDatabase::New();
    db->LoadFromString(
        "<cv2project><variables>"
        "<var name='A' value='x%A%'/><var name='B' value='%C%[S]'/><var name='C' value='#1#%B%'/>"
        "<var name='D' value='%A%' flags='dont_parse'/><var name='E' value='#%E%#' "
        "flags='calc_expression'/><var name='F' value='[%F%]' flags='dont_parse_identifiers'/>"
        "<var name='LangID' value='ENU'/><var name='G' value='plain'/></variables>"
        "<languages><language lngid='ENU'><param name='S' value='[S]%A%'/>"
        "<param name='T' value='\\n[T]'/></language></languages></cv2project>",
        "");
    return db;
  }();
  return *database;
}

// Evaluates a segment to a text that may itself hold references.
std::string ExpressionStub(cv::TXMLObject*, std::int32_t, const std::string& expression,
                           std::intptr_t, bool) {
  return expression.size() % 2 ? "%G%" : "#" + expression + "#";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const bool installed = [] {
    cv::SetMainDatabase(&Project());
    cv::ExpressionHook = ExpressionStub;
    cv::InstallReferenceHooks();
    return true;
  }();
  (void)installed;
  const std::uint8_t switches = data[0];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string result = cv::ExpandReferences(&Project(), 0, text, switches & 1,
                                                  (switches & 2) != 0, (switches & 4) != 0);
  // With names off and no hash evaluation nothing is looked up: the text can
  // only lose the doubled "#" of each "##".
  if ((switches & 3) == 0 && result.size() > text.size()) __builtin_trap();
  return 0;
}
