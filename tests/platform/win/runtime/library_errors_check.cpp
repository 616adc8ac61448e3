// The shipped programs' own definitions of the standard library's error
// helpers: what the library raises still reaches a handler of std::exception,
// with the library's text formatted, and running out of memory is still
// std::bad_alloc.
//
// A plain program rather than a GoogleTest one: the test framework's streams
// link the library's own system_error object, whose helper would then be
// defined twice, which is the very check the shipped programs' link makes.

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

int failures = 0;

template <typename Fault>
std::string WhatOf(Fault fault) {
  try {
    fault();
  } catch (const std::logic_error&) {
    return "the library's own helper was linked";
  } catch (const std::exception& error) {
    return error.what();
  }
  return "nothing thrown";
}

void ExpectText(const char* fault, const std::string& what,
                std::initializer_list<const char*> parts) {
  bool ok = what.find('%') == std::string::npos;
  for (const char* part : parts) ok = ok && what.find(part) != std::string::npos;
  if (!ok) {
    std::printf("FAILED: %s gave \"%s\"\n", fault, what.c_str());
    ++failures;
  }
}

template <typename Expected, typename Fault>
void ExpectThrow(const char* fault, Fault raise) {
  try {
    raise();
  } catch (const Expected&) {
    return;
  } catch (...) {
  }
  std::printf("FAILED: %s did not throw the expected type\n", fault);
  ++failures;
}

}  // namespace

int main() {
  const std::string three = "abc";
  const std::vector<int> none;
  std::string grown;
  ExpectText("substr past the end", WhatOf([&] { (void)three.substr(4); }),
             {"basic_string::substr", "(which is 4)", "(which is 3)"});
  ExpectText("at past the end", WhatOf([&] { (void)none.at(7); }),
             {"(which is 7)", "(which is 0)"});
  ExpectText("string past its limit", WhatOf([&] { grown.reserve(grown.max_size() + 1); }),
             {"basic_string"});
  ExpectText("string from null",
             WhatOf([] { std::string fromNull(static_cast<const char*>(nullptr)); }), {"null"});

  std::thread never;
  ExpectText("joining no thread", WhatOf([&] { never.join(); }), {std::strerror(EINVAL)});

  std::allocator<std::uint32_t> allocator;
  ExpectThrow<std::bad_alloc>("an allocation past the limit",
                              [&] { (void)allocator.allocate(SIZE_MAX / 6); });
  ExpectThrow<std::bad_array_new_length>("an allocation past the address space",
                                         [&] { (void)allocator.allocate(SIZE_MAX / 2); });

  std::printf("%s\n", failures ? "library errors: FAILED" : "library errors: passed");
  return failures ? 1 : 0;
}
