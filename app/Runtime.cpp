// What the executables take from the C++ runtime on Windows, cut to what the program uses.
// The library's own versions of these bring in a symbol demangler and a second string
// implementation with its error classes and formatter: over a quarter of the executable.
#include <cstdarg>
#include <cstddef>
#include <cstdlib>
#include <new>
#include <string>
#include <typeinfo>

#include "platform/Exception.h"

// An uncaught exception: the library's default names the exception's type on the console,
// which a windowed program has none of; the end is the same without the message.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

// The containers' and strings' failures (a length or position out of range): the program
// never asks for one by name, and what catches them catches every std::exception.
namespace std {
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_bad_exception() { throw bad_exception(); }
void __throw_logic_error(const char* what) { throw Exception(what); }
void __throw_domain_error(const char* what) { throw Exception(what); }
void __throw_invalid_argument(const char* what) { throw Exception(what); }
void __throw_length_error(const char* what) { throw Exception(what); }
void __throw_out_of_range(const char* what) { throw Exception(what); }
void __throw_out_of_range_fmt(const char* format, ...) {
  // The library's formats hold only %s and %zu (and %% for itself).
  std::string message;
  va_list args;
  va_start(args, format);
  for (const char* p = format; *p; ++p) {
    if (p[0] == '%' && p[1] == 's') {
      message += va_arg(args, const char*);
      ++p;
    } else if (p[0] == '%' && p[1] == 'z' && p[2] == 'u') {
      message += std::to_string(va_arg(args, std::size_t));
      p += 2;
    } else if (p[0] == '%' && p[1] == '%') {
      message += '%';
      ++p;
    } else {
      message += *p;
    }
  }
  va_end(args);
  throw Exception(message);
}
void __throw_runtime_error(const char* what) { throw Exception(what); }
void __throw_range_error(const char* what) { throw Exception(what); }
void __throw_overflow_error(const char* what) { throw Exception(what); }
void __throw_underflow_error(const char* what) { throw Exception(what); }
}  // namespace std
