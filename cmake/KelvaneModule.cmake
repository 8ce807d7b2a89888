# PawnIO's signed LpcIO module inside the 64-bit kelvane.exe. The repository holds no module of
# PawnIO's: whoever packages a release supplies one, from a release of PawnIO.Modules, with its
# licence text, when configuring the 64-bit build:
#
#   cmake --preset win64 -DKELVANE_LPCIO_MODULE=/path/LpcIO.bin -DKELVANE_LPCIO_RELEASE=0.2.10 \
#         -DKELVANE_LPCIO_LICENSE=/path/LICENSE
#
# The program tries a LpcIO.bin beside it first, where no other user can change it, and falls
# back on the embedded one (hw/LpcModule.h). With a module, the build writes LpcIO-LICENSE.txt
# beside the program, which the packages carry (the 32-bit ones too, for their kelvane64.exe):
# the release, the module's SHA-256, where its source lies, the licence. A release whose module
# is known here is checked against its hash (a warning: a newer build of the same release
# name, or a damaged download, is for whoever packages to judge). Without a module (empty, the
# default) the program and the packages are as before.
set(KELVANE_LPCIO_MODULE "" CACHE FILEPATH
    "A signed LpcIO.bin of a PawnIO.Modules release, embedded in the 64-bit kelvane.exe (empty: none)")
set(KELVANE_LPCIO_RELEASE "" CACHE STRING "The PawnIO.Modules release the embedded LpcIO.bin is from")
set(KELVANE_LPCIO_LICENSE "" CACHE FILEPATH
    "PawnIO.Modules' licence text (empty: a LICENSE or COPYING file beside the module)")
set(KELVANE_LPCIO_SOURCE "https://github.com/namazso/PawnIO.Modules" CACHE STRING
    "Where the source of the embedded LpcIO.bin lies")
set(KELVANE_LPCIO_NOTICE ${CMAKE_BINARY_DIR}/LpcIO-LICENSE.txt)
# The SHA-256 of LpcIO.bin as PawnIO.Modules' releases publish it.
set(KELVANE_LPCIO_KNOWN_0.2.10 b3896a1cab0d808fca31fe2ebcae045d59dac690da87b17c858bb8da357eb45e)

# Puts `module` into `target` as the data resource the program looks for ("LPCIO", RCDATA).
function(kelvane_embed_lpcio target module)
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}-lpcio.rc)
  file(CONFIGURE OUTPUT ${script} CONTENT "LPCIO RCDATA \"@module@\"\n" @ONLY)
  target_sources(${target} PRIVATE ${script})
  # The resource compiler does not tell the build that the script reads the module.
  set_source_files_properties(${script} PROPERTIES OBJECT_DEPENDS ${module})
endfunction()

if(NOT KELVANE_LPCIO_MODULE)
  # A folder built with a module before says nothing of one now.
  file(REMOVE ${KELVANE_LPCIO_NOTICE})
  return()
endif()
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
  message(WARNING "KELVANE_LPCIO_MODULE is for the 64-bit build (win64), whose kelvane.exe this "
                  "build's packages carry: ignored here")
  return()
endif()
if(NOT EXISTS ${KELVANE_LPCIO_MODULE})
  message(FATAL_ERROR "KELVANE_LPCIO_MODULE: ${KELVANE_LPCIO_MODULE} does not exist")
endif()
if(NOT KELVANE_LPCIO_RELEASE)
  message(FATAL_ERROR "KELVANE_LPCIO_RELEASE: name the PawnIO.Modules release of the module (0.2.10, ...)")
endif()
set(licence ${KELVANE_LPCIO_LICENSE})
if(NOT licence)
  get_filename_component(folder ${KELVANE_LPCIO_MODULE} DIRECTORY)
  foreach(name LICENSE LICENSE.txt LICENSE.md COPYING COPYING.txt)
    if(EXISTS ${folder}/${name})
      set(licence ${folder}/${name})
      break()
    endif()
  endforeach()
endif()
if(NOT licence OR NOT EXISTS ${licence})
  message(FATAL_ERROR "KELVANE_LPCIO_LICENSE: the module goes out only with PawnIO.Modules' "
                      "licence text: name its file, or put LICENSE beside the module")
endif()

file(SHA256 ${KELVANE_LPCIO_MODULE} KELVANE_LPCIO_SHA256)
set(known "${KELVANE_LPCIO_KNOWN_${KELVANE_LPCIO_RELEASE}}")
if(known AND NOT known STREQUAL KELVANE_LPCIO_SHA256)
  message(WARNING "KELVANE_LPCIO_MODULE: its SHA-256 is ${KELVANE_LPCIO_SHA256}, but LpcIO.bin of "
                  "PawnIO.Modules ${KELVANE_LPCIO_RELEASE} has ${known}: not the module of that "
                  "release, or a damaged copy")
endif()

kelvane_embed_lpcio(kelvane ${KELVANE_LPCIO_MODULE})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${licence})
file(READ ${licence} KELVANE_LPCIO_LICENSE_TEXT)
string(REPLACE "\r\n" "\n" KELVANE_LPCIO_LICENSE_TEXT "${KELVANE_LPCIO_LICENSE_TEXT}")
file(CONFIGURE OUTPUT ${KELVANE_LPCIO_NOTICE} NEWLINE_STYLE CRLF @ONLY CONTENT
"LpcIO.bin inside kelvane.exe (64-bit)
=====================================

The 64-bit kelvane.exe carries PawnIO's module LpcIO.bin as its author signed it, from
release @KELVANE_LPCIO_RELEASE@ of PawnIO.Modules, SHA-256
@KELVANE_LPCIO_SHA256@.
The module's source lies at @KELVANE_LPCIO_SOURCE@ (release @KELVANE_LPCIO_RELEASE@).
It is licensed under the licence below, PawnIO.Modules' own; Kelvane uses it unchanged. A
LpcIO.bin placed in the same folder as kelvane.exe is tried first where only administrators
can change it; the one inside is used whenever PawnIO refuses that file or it is too old.

-------------------------------------------------------------------------------------------

@KELVANE_LPCIO_LICENSE_TEXT@")
message(STATUS "LpcIO.bin of PawnIO.Modules ${KELVANE_LPCIO_RELEASE} embedded in kelvane.exe "
               "(SHA-256 ${KELVANE_LPCIO_SHA256})")
