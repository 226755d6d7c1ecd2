# Third-party code. The native tree uses Debian's development packages; the
# Windows tree compiles the same libraries from Debian's source packages,
# which scripts/setup fetches into .cache/deps.
set(LAUNCHER_DEPS_DIR ${CMAKE_SOURCE_DIR}/.cache/deps CACHE PATH "Unpacked source packages")

# stb_image is a header; one translation unit of ours holds its implementation.
add_library(dep_stb INTERFACE)
target_include_directories(dep_stb SYSTEM INTERFACE /usr/include/stb)

# Sets var to the unpacked source folder of a Debian source package.
function(launcher_source_dir var package)
  file(GLOB _dirs LIST_DIRECTORIES true ${LAUNCHER_DEPS_DIR}/${package}-*)
  list(FILTER _dirs EXCLUDE REGEX "\\.(tar|dsc|gz|xz|bz2)")
  if(NOT _dirs)
    message(FATAL_ERROR "${package} sources missing in ${LAUNCHER_DEPS_DIR}: run scripts/setup")
  endif()
  list(GET _dirs 0 _dir)
  set(${var} ${_dir} PARENT_SCOPE)
endfunction()

# An INTERFACE target for the system's copy of LIBRARY, whose headers hold
# HEADER (the native tree's way to each library the Windows tree compiles).
function(launcher_system_library target header library)
  string(TOUPPER ${library} _name)
  find_path(${_name}_INCLUDE_DIR ${header} REQUIRED)
  find_library(${_name}_LIBRARY ${library} REQUIRED)
  add_library(${target} INTERFACE)
  target_include_directories(${target} SYSTEM INTERFACE ${${_name}_INCLUDE_DIR})
  target_link_libraries(${target} INTERFACE ${${_name}_LIBRARY})
endfunction()

# minizip is compiled from zlib's sources in both trees: as shipped, its
# unzip.c switches PKWARE decryption off (and so does Debian's libminizip),
# but the skin package is encrypted. A configured copy drops that switch.
launcher_source_dir(ZLIB_SRC zlib)

if(WIN32)
  launcher_source_dir(PUGIXML_SRC pugixml)

  add_library(dep_zlib STATIC
    ${ZLIB_SRC}/adler32.c ${ZLIB_SRC}/compress.c ${ZLIB_SRC}/crc32.c ${ZLIB_SRC}/deflate.c
    ${ZLIB_SRC}/infback.c ${ZLIB_SRC}/inffast.c ${ZLIB_SRC}/inflate.c ${ZLIB_SRC}/inftrees.c
    ${ZLIB_SRC}/trees.c ${ZLIB_SRC}/uncompr.c ${ZLIB_SRC}/zutil.c)
  target_include_directories(dep_zlib SYSTEM PUBLIC ${ZLIB_SRC})
  target_compile_options(dep_zlib PRIVATE -w)

  add_library(dep_pugixml STATIC ${PUGIXML_SRC}/src/pugixml.cpp)
  target_include_directories(dep_pugixml SYSTEM PUBLIC ${PUGIXML_SRC}/src)
  target_compile_options(dep_pugixml PRIVATE -w)
else()
  find_package(ZLIB REQUIRED)
  find_package(pugixml REQUIRED)
  add_library(dep_zlib INTERFACE)
  target_link_libraries(dep_zlib INTERFACE ZLIB::ZLIB)
  add_library(dep_pugixml INTERFACE)
  target_link_libraries(dep_pugixml INTERFACE pugixml::pugixml)
endif()

# libsodium: Ed25519 signatures and SHA-256 for signed releases. The Windows
# tree compiles Debian's sources the way its MSVC project does: every file,
# portable code only (the SIMD variants compile empty without the HAVE_*
# switches), and a version header made from its template.
if(WIN32)
  launcher_source_dir(SODIUM_SRC libsodium)
  set(VERSION 1.0.18)
  set(SODIUM_LIBRARY_VERSION_MAJOR 10)
  set(SODIUM_LIBRARY_VERSION_MINOR 3)
  set(SODIUM_LIBRARY_MINIMAL_DEF "")
  # Beside its template, as the MSVC project puts it; the same bytes in every tree.
  set(_sodium_include ${SODIUM_SRC}/src/libsodium/include)
  configure_file(${_sodium_include}/sodium/version.h.in ${_sodium_include}/sodium/version.h @ONLY)
  file(GLOB_RECURSE _sodium_sources ${SODIUM_SRC}/src/libsodium/*.c)
  add_library(dep_sodium STATIC ${_sodium_sources})
  target_include_directories(dep_sodium SYSTEM PUBLIC ${_sodium_include})
  target_include_directories(dep_sodium SYSTEM PRIVATE ${_sodium_include}/sodium)
  target_compile_definitions(dep_sodium PUBLIC SODIUM_STATIC PRIVATE NATIVE_LITTLE_ENDIAN)
  target_compile_options(dep_sodium PRIVATE -w -O2)
  target_link_libraries(dep_sodium PUBLIC advapi32)
else()
  launcher_system_library(dep_sodium sodium.h sodium)
endif()

# libzstd: per-file patches and compressed copies on the mirror. The
# Windows tree compiles Debian's sources in their portable C form (the x86-64
# assembly and the threads are not for a 32-bit launcher). dep_zstd is the
# decoder, which the launcher applies patches with; only publish links the
# encoder (dep_zstd_encoder) that makes them. Both trees may use the
# experimental calls (ZSTD_STATIC_LINKING_ONLY), which Debian's shared
# library exports too.
if(WIN32)
  launcher_source_dir(ZSTD_SRC libzstd)
  file(GLOB _zstd_sources ${ZSTD_SRC}/lib/common/*.c ${ZSTD_SRC}/lib/decompress/*.c)
  add_library(dep_zstd STATIC ${_zstd_sources})
  target_include_directories(dep_zstd SYSTEM PUBLIC ${ZSTD_SRC}/lib)
  target_compile_definitions(dep_zstd PRIVATE ZSTD_DISABLE_ASM XXH_NAMESPACE=ZSTD_
                                      PUBLIC ZSTD_STATIC_LINKING_ONLY)
  target_compile_options(dep_zstd PRIVATE -w -O2)
  file(GLOB _zstd_encoder_sources ${ZSTD_SRC}/lib/compress/*.c)
  add_library(dep_zstd_encoder STATIC ${_zstd_encoder_sources})
  target_compile_definitions(dep_zstd_encoder PRIVATE ZSTD_DISABLE_ASM XXH_NAMESPACE=ZSTD_)
  target_compile_options(dep_zstd_encoder PRIVATE -w -O2)
  target_link_libraries(dep_zstd_encoder PUBLIC dep_zstd)
else()
  launcher_system_library(dep_zstd zstd.h zstd)
  target_compile_definitions(dep_zstd INTERFACE ZSTD_STATIC_LINKING_ONLY)
  add_library(dep_zstd_encoder INTERFACE)
  target_link_libraries(dep_zstd_encoder INTERFACE dep_zstd)
endif()

set(_mz ${ZLIB_SRC}/contrib/minizip)
file(READ ${_mz}/unzip.c _unzip_source)
string(REGEX REPLACE "#ifndef NOUNCRYPT[ \t\r\n]+#define NOUNCRYPT[ \t\r\n]+#endif" ""
       _unzip_decrypting "${_unzip_source}")
if(_unzip_decrypting STREQUAL _unzip_source)
  message(FATAL_ERROR "${_mz}/unzip.c: the switch that disables decryption was not found")
endif()
# Written beside and copied only when different, so a reconfigure rebuilds nothing.
file(WRITE ${CMAKE_BINARY_DIR}/deps/minizip/unzip.c.in "${_unzip_decrypting}")
configure_file(${CMAKE_BINARY_DIR}/deps/minizip/unzip.c.in ${CMAKE_BINARY_DIR}/deps/minizip/unzip.c
               COPYONLY)
add_library(dep_minizip STATIC ${CMAKE_BINARY_DIR}/deps/minizip/unzip.c ${_mz}/zip.c
                               ${_mz}/ioapi.c)
target_include_directories(dep_minizip SYSTEM PUBLIC ${_mz})
target_compile_options(dep_minizip PRIVATE -w)
target_link_libraries(dep_minizip PUBLIC dep_zlib)
# Overruns inside the archive reader surface in the package tests too, and
# the fuzzer is guided by the reader's own branches.
if(LAUNCHER_FUZZ)
  target_compile_options(dep_minizip PRIVATE -fsanitize=fuzzer-no-link,address)
elseif(NOT WIN32 AND LAUNCHER_SANITIZE)
  target_compile_options(dep_minizip PRIVATE -fsanitize=address -fno-omit-frame-pointer)
endif()

if(NOT LAUNCHER_FUZZ)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  if(WIN32)
    target_link_options(gtest PUBLIC -static)
  endif()
endif()

# The executable behind both kinds of test program below: SOURCES built with
# the project's flags and linked with LIBS.
function(launcher_test_program name)
  cmake_parse_arguments(P "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${P_SOURCES})
  launcher_flags(${name})
  target_link_libraries(${name} PRIVATE ${P_LIBS})
endfunction()

# Adds a GoogleTest executable as one ctest entry (each Wine start costs
# seconds, so one entry per executable rather than per case).
function(launcher_test name)
  if(NOT LAUNCHER_FUZZ)
    launcher_test_program(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE gtest_main)
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  endif()
endfunction()

# A libFuzzer target. In the fuzz tree (clang) it links libFuzzer; in the
# native tree it links a small driver that replays the seed corpus under the
# sanitizers, so every committed input stays a regression test.
function(launcher_fuzzer name)
  if(WIN32)
    return()
  endif()
  launcher_test_program(${name} ${ARGN})
  if(LAUNCHER_FUZZ)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined -g)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  else()
    target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/fuzz/replay_main.cpp)
    add_test(NAME ${name}_corpus COMMAND ${name} ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name})
  endif()
endfunction()
