// What the executables take from the C++ runtime on Windows, cut to what the program uses.
// The library's own versions of these bring in a symbol demangler, a second string
// implementation with its error classes and formatter, and a C99 number formatter and parser
// of their own: over a third of the executable.
#include <cstdarg>
#include <cstddef>
#include <cstdlib>
#include <exception>
#include <new>
#include <string>
#include <typeinfo>
#include <utility>

// The names the system's C library gives its functions at link level.
#define KELVANE_STRING(x) #x
#define KELVANE_LABEL(prefix, name) KELVANE_STRING(prefix) name
#define KELVANE_C_LABEL(name) KELVANE_LABEL(__USER_LABEL_PREFIX__, name)

namespace {
// A fault of the library's (a position or length out of range, a broken precondition): no
// failure of the program's own, so it is no Exception. The handlers that take those as
// expected (a drawing failure inside a paint, an unreadable tray picture) let it pass, and it
// reaches the application's report as the library's own error classes do in the native build.
class ELibraryFault : public std::exception {
 public:
  explicit ELibraryFault(std::string message) : FMessage(std::move(message)) {}
  const char* what() const noexcept override { return FMessage.c_str(); }

 private:
  std::string FMessage;
};
}  // namespace

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
void __throw_logic_error(const char* what) { throw ELibraryFault(what); }
void __throw_domain_error(const char* what) { throw ELibraryFault(what); }
void __throw_invalid_argument(const char* what) { throw ELibraryFault(what); }
void __throw_length_error(const char* what) { throw ELibraryFault(what); }
void __throw_out_of_range(const char* what) { throw ELibraryFault(what); }
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
  throw ELibraryFault(message);
}
void __throw_runtime_error(const char* what) { throw ELibraryFault(what); }
void __throw_range_error(const char* what) { throw ELibraryFault(what); }
void __throw_overflow_error(const char* what) { throw ELibraryFault(what); }
void __throw_underflow_error(const char* what) { throw ELibraryFault(what); }
}  // namespace std

// Numbers to and from text go to the system's C library. What the program formats and parses
// (a reading's 15 significant digits, a version resource's query, a float stored as text)
// the system's functions do alike; they differ only where the program never goes (hexadecimal
// and infinite values in stored text, three-digit exponents, sizes with "z").
extern "C" {
int __cdecl __ms_vsnprintf(char* buffer, std::size_t size, const char* format, va_list args);
double SystemStrtod(const char* text, char** end) __asm__(KELVANE_C_LABEL("strtod"));

int __cdecl __mingw_vsnprintf(char* buffer, std::size_t size, const char* format, va_list args) {
  return __ms_vsnprintf(buffer, size, format, args);
}
double __cdecl __mingw_strtod(const char* text, char** end) { return SystemStrtod(text, end); }
}
