#pragma once

#include <cstdint>

namespace cv {

// A number from the system's random source, for names that must not
// collide with another process's; safe from any thread.
std::uint32_t RandomNumber();

}  // namespace cv
