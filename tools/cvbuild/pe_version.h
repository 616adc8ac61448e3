#pragma once
// The file version of a Windows program or library, read from its version
// resource by walking the PE headers and the resource directory, so that it
// works on any host. Anything that is not a well-formed PE file with a
// version resource has no version.

#include <string>
#include <string_view>

namespace cv::build {

// "major.minor.release.build" from the fixed file information of the first
// version resource; empty when there is none.
std::string PeFileVersion(std::string_view image);

// The same for a file; empty when it cannot be read or is no PE file.
std::string PeFileVersionOfFile(const std::string& path);

}  // namespace cv::build
