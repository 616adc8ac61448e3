#pragma once
// References in the project's texts: %Name% is replaced by the variable's
// text, [Name] by the string of the current language, and #expression# by
// the expression's value. Variable values are themselves expanded again,
// steered by the variable's flags, so references nest; runaway nesting is
// cut off with a message in the text rather than an error.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace cv {

class TXMLObject;

// Nested expansions allowed on one thread before the text is given up.
inline constexpr int kMaxReferenceDepth = 100;
// Characters one outermost expansion may scan and produce, nested expansions
// included, before the whole text is given up as an infinite reference.
inline constexpr std::size_t kMaxReferenceWork = std::size_t{1} << 24;

// `database` is the main database or a package; null stands for the main
// database. `pluginId` is 0 for the engine. With `evaluateHash` off a
// #...# segment is copied as it stands; with `expandNames` off % and [ are
// ordinary characters; with `dropUnknown` an unknown reference vanishes
// instead of staying as written.
std::string ExpandReferences(TXMLObject* database, std::int32_t pluginId, std::string_view text,
                             bool evaluateHash, bool expandNames, bool dropUnknown);

// The project texts the engine and plug-ins resolve: names expanded, no
// expressions evaluated, unknown references kept.
inline std::string ExpandText(TXMLObject* database, std::int32_t pluginId, std::string_view text) {
  return ExpandReferences(database, pluginId, text, false, true, false);
}

// The visible variable's current text, expanded again as its flags say;
// `defaultValue` (itself expanded) when no visible variable has that name.
// Raises EVariableContextError for a missing or wrong database.
std::string GetVariableText(TXMLObject* database, std::int32_t pluginId, const std::string& name,
                            const std::string& defaultValue);

// The string `name` of the current language (the main database's variable
// LangID), from the plug-in's own table first when `pluginId` names a loaded
// plug-in, else from the engine's; `defaultValue` when there is none.
std::string LanguageString(TXMLObject* database, std::int32_t pluginId, const std::string& name,
                           const std::string& defaultValue);

// The ID string of the loaded plug-in with that number ("" when there is
// none), installed by the plug-in host.
using PluginIdRoutine = std::string (*)(std::int32_t pluginId);
void SetPluginIdRoutine(PluginIdRoutine routine);

// Installs GetVariableText and LanguageString as the model's hooks.
void InstallReferenceHooks();

}  // namespace cv
