// The standard library raises its own errors (a string grown past its
// limit, an index out of range, a thread that cannot be joined) through
// helper functions that it keeps together in one object. Their exception
// types carry the old ABI's reference-counted string, so linking any one
// helper, and every container refers to one, links that whole string
// implementation and the formatting behind it: 90 KB of each shipped
// program. The helpers are defined here instead, so the library's object
// is never linked; should a later library need a helper missing here, the
// link fails on the duplicate rather than growing quietly.
//
// Allocation failures still throw std::bad_alloc, which the file routines
// catch. The other conditions are faults of the program: they throw an
// exception carrying the library's own text, caught like any other by the
// handlers of std::exception.

#include <cstdarg>
#include <cstddef>
#include <cstring>
#include <exception>
#include <new>
#include <stdexcept>
#include <system_error>
#include <typeinfo>

namespace {

class LibraryError final : public std::exception {
 public:
  explicit LibraryError(const char* text) noexcept { Format(text, nullptr); }
  LibraryError(const char* format, std::va_list* arguments) noexcept { Format(format, arguments); }

  const char* what() const noexcept override { return text_; }

 private:
  // The library's messages use %s and %zu only; the text is cut at the
  // buffer's end rather than allocated, the error may be that memory ran out.
  void Format(const char* format, std::va_list* arguments) noexcept {
    std::size_t length = 0;
    const auto put = [&](char c) {
      if (length + 1 < sizeof(text_)) text_[length++] = c;
    };
    for (const char* p = format; *p; ++p) {
      if (*p != '%' || !arguments) {
        put(*p);
      } else if (p[1] == 's') {
        for (const char* s = va_arg(*arguments, const char*); *s; ++s) put(*s);
        ++p;
      } else if (p[1] == 'z' && p[2] == 'u') {
        char digits[24];
        int count = 0;
        for (std::size_t value = va_arg(*arguments, std::size_t); count == 0 || value; value /= 10) {
          digits[count++] = static_cast<char>('0' + value % 10);
        }
        while (count) put(digits[--count]);
        p += 2;
      } else {
        put(*p);
        if (p[1] == '%') ++p;
      }
    }
    text_[length] = '\0';
  }

  char text_[256];
};

}  // namespace

namespace std {

void __throw_bad_exception() { throw bad_exception(); }
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_logic_error(const char* what) { throw LibraryError(what); }
void __throw_domain_error(const char* what) { throw LibraryError(what); }
void __throw_invalid_argument(const char* what) { throw LibraryError(what); }
void __throw_length_error(const char* what) { throw LibraryError(what); }
void __throw_out_of_range(const char* what) { throw LibraryError(what); }
void __throw_runtime_error(const char* what) { throw LibraryError(what); }
void __throw_range_error(const char* what) { throw LibraryError(what); }
void __throw_overflow_error(const char* what) { throw LibraryError(what); }
void __throw_underflow_error(const char* what) { throw LibraryError(what); }

void __throw_out_of_range_fmt(const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  const LibraryError error(format, &arguments);
  va_end(arguments);
  throw error;
}

// A thread or lock the system refused: the code's own text, as the library
// would give it.
void __throw_system_error(int code) { throw LibraryError(std::strerror(code)); }

}  // namespace std
