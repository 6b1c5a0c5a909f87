// The module's terminate handler. libstdc++'s default one prints the
// demangled type of an escaped exception to standard error, which a host with
// a window has no use for; defining it here keeps the demangler and the
// formatted-output code it needs (about 60 KB) out of the module. Nothing is
// meant to reach it: no exception crosses a COM method or an export.
#include <cstdlib>

namespace __gnu_cxx {

[[noreturn]] void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
