// The standard library's default terminate handler prints the uncaught
// exception's demangled type to the standard error stream, which a Windows
// program without a console does not have; its demangler alone adds 50 KB to
// every shipped program. Defining the handler here keeps the library's own
// definition, and with it the demangler, out of the link (the library
// refers to the handler by name). The program still ends the same way.

#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
