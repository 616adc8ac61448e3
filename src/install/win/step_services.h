#pragma once
// What the registry, ini and environment steps take from their caller, so
// that tests drive them without the engine.

#include <functional>
#include <string>

namespace cv {

// A project text with its variables and expressions resolved.
using ResolveText = std::function<std::string(const std::string& text)>;
// A message box with an explicit caption.
using ErrorBoxRoutine = std::function<void(const std::string& caption, const std::string& text)>;

}  // namespace cv
