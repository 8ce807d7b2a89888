# Cross-compiles the 32-bit Windows executables with Debian's mingw-w64.
set(KELVANE_MINGW_PROCESSOR i686)
set(KELVANE_MINGW_TRIPLET i686-w64-mingw32)
# i686 unwinds exceptions through DWARF tables: every function carries a description of its
# frame, which is a sixth of the executable. What keeps it and the code small here:
# - arguments pushed onto the stack rather than stored into space reserved in each frame (the
#   compiler reserves it only to probe large argument areas page by page, which
#   -fstack-clash-protection does for any frame or alloca larger than a page, so the system's
#   guard page still grows the stack one page at a time);
# - unwind tables exact at calls, not at every instruction (the program throws from calls alone:
#   a port fault is turned into an exception by the code that made the access, after the handler
#   returned);
# - function statics without the runtime's thread-safe guard (the program runs on one thread);
# - the stack kept at the 4-byte alignment Windows' 32-bit calling conventions guarantee, not
#   realigned to 16 bytes (nothing here uses vector instructions that would need it);
# - one section for all code: with the whole program optimised at link, a section per function
#   only pads (the unused ones are dropped either way).
set(KELVANE_MINGW_OPTIONS -mno-accumulate-outgoing-args -mno-stack-arg-probe -fstack-clash-protection
    -fno-asynchronous-unwind-tables -fno-threadsafe-statics -mpreferred-stack-boundary=2)
set(KELVANE_MINGW_SECTIONS OFF)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
