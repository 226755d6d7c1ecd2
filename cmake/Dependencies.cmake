# Third-party code. The native tree uses Debian's development packages; the
# Windows tree compiles the same libraries from Debian's source packages,
# which scripts/setup fetches into .cache/deps.
set(LAUNCHER_DEPS_DIR ${CMAKE_SOURCE_DIR}/.cache/deps CACHE PATH "Unpacked source packages")

# stb_image is a header; one translation unit of ours holds its implementation.
add_library(dep_stb INTERFACE)
target_include_directories(dep_stb SYSTEM INTERFACE /usr/include/stb)

if(WIN32)
  file(GLOB _zlib_dirs LIST_DIRECTORIES true ${LAUNCHER_DEPS_DIR}/zlib-*)
  file(GLOB _pugi_dirs LIST_DIRECTORIES true ${LAUNCHER_DEPS_DIR}/pugixml-*)
  list(FILTER _zlib_dirs EXCLUDE REGEX "\\.(tar|dsc|gz|xz|bz2)")
  list(FILTER _pugi_dirs EXCLUDE REGEX "\\.(tar|dsc|gz|xz|bz2)")
  if(NOT _zlib_dirs OR NOT _pugi_dirs)
    message(FATAL_ERROR "zlib or pugixml sources missing in ${LAUNCHER_DEPS_DIR}: run scripts/setup")
  endif()
  list(GET _zlib_dirs 0 ZLIB_SRC)
  list(GET _pugi_dirs 0 PUGIXML_SRC)

  add_library(dep_zlib STATIC
    ${ZLIB_SRC}/adler32.c ${ZLIB_SRC}/compress.c ${ZLIB_SRC}/crc32.c ${ZLIB_SRC}/deflate.c
    ${ZLIB_SRC}/infback.c ${ZLIB_SRC}/inffast.c ${ZLIB_SRC}/inflate.c ${ZLIB_SRC}/inftrees.c
    ${ZLIB_SRC}/trees.c ${ZLIB_SRC}/uncompr.c ${ZLIB_SRC}/zutil.c)
  target_include_directories(dep_zlib SYSTEM PUBLIC ${ZLIB_SRC})
  target_compile_options(dep_zlib PRIVATE -w)

  set(_mz ${ZLIB_SRC}/contrib/minizip)
  add_library(dep_minizip STATIC ${_mz}/unzip.c ${_mz}/zip.c ${_mz}/ioapi.c)
  target_include_directories(dep_minizip SYSTEM PUBLIC ${_mz})
  target_compile_options(dep_minizip PRIVATE -w)
  target_link_libraries(dep_minizip PUBLIC dep_zlib)

  add_library(dep_pugixml STATIC ${PUGIXML_SRC}/src/pugixml.cpp)
  target_include_directories(dep_pugixml SYSTEM PUBLIC ${PUGIXML_SRC}/src)
  target_compile_options(dep_pugixml PRIVATE -w)
else()
  find_package(ZLIB REQUIRED)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)
  find_package(pugixml REQUIRED)
  add_library(dep_zlib INTERFACE)
  target_link_libraries(dep_zlib INTERFACE ZLIB::ZLIB)
  add_library(dep_minizip INTERFACE)
  target_link_libraries(dep_minizip INTERFACE PkgConfig::MINIZIP dep_zlib)
  add_library(dep_pugixml INTERFACE)
  target_link_libraries(dep_pugixml INTERFACE pugixml::pugixml)
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

# Adds a GoogleTest executable as one ctest entry (each Wine start costs
# seconds, so one entry per executable rather than per case).
function(launcher_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  if(LAUNCHER_FUZZ)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  launcher_flags(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
endfunction()

# A libFuzzer target. In the fuzz tree (clang) it links libFuzzer; in the
# native tree it links a small driver that replays the seed corpus under the
# sanitizers, so every committed input stays a regression test.
function(launcher_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  if(WIN32)
    return()
  endif()
  set(corpus ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name})
  if(LAUNCHER_FUZZ)
    add_executable(${name} ${F_SOURCES})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined -g)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  else()
    add_executable(${name} ${F_SOURCES} ${CMAKE_SOURCE_DIR}/tests/fuzz/replay_main.cpp)
    add_test(NAME ${name}_corpus COMMAND ${name} ${corpus})
  endif()
  launcher_flags(${name})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
endfunction()
