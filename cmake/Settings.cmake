# Operator settings of the program. The defaults serve the local demo; a release
# build sets the real values with -D on the configure line (see README.md).
set(LAUNCHER_MIRROR_URL "http://127.0.0.1:18080/vedu/" CACHE STRING
    "Built-in download mirror base URL (ends in a slash)")
set(LAUNCHER_MIRROR_URL2 "" CACHE STRING
    "Alternate mirror with the same release, asked on the second attempt (ends in a slash); \
empty: the built-in mirror")
set(LAUNCHER_MIRROR_URL3 "" CACHE STRING
    "Alternate mirror with the same release, asked on the third attempt (ends in a slash); \
empty: the built-in mirror")
set(LAUNCHER_HOST_SERVICE "http://127.0.0.1:18081/service/" CACHE STRING
    "Service API host: statistics, QQ login, QQ online page")
set(LAUNCHER_HOST_REGISTER "http://127.0.0.1:18081/register/" CACHE STRING
    "Registration host: account validation and registration")
set(LAUNCHER_HOST_MEMBER "http://127.0.0.1:18081/member/" CACHE STRING "Member host")
set(LAUNCHER_HOST_MAIN "http://127.0.0.1:18081/www/" CACHE STRING "Main site host")
set(LAUNCHER_HOST_PAY "http://127.0.0.1:18081/pay/" CACHE STRING "Pay host")
set(LAUNCHER_HOST_DOMAIN "http://127.0.0.1:18081/" CACHE STRING "Bare-domain host (logo page)")
set(LAUNCHER_EXTRA_PAGE_HOSTS "" CACHE STRING
    "Hosts besides the six web hosts whose pages may command the launcher: http:// or https:// \
origins such as https://login.example.com/, separated by ';'")
set(LAUNCHER_SERVER_HOST "localhost" CACHE STRING "Game server host name the resolver looks up")
set(LAUNCHER_SERVER_ADDR "127.0.0.1" CACHE STRING "Default game server address (dotted IPv4)")
set(LAUNCHER_PACKAGE_PASSWORD_HEX "5A6FB77269C37A8E6F766F21D54C6175F16E6368A47239" CACHE STRING
    "Skin package password: 23 non-zero bytes as 46 hex digits")
set(LAUNCHER_RELEASE_KEYS "demo" CACHE STRING
    "Public keys that sign releases: one or two keys of 64 hex digits separated by ';' \
(two while the key is rotated), empty for no signing, or demo for keys made at configure time \
(only with a mirror on loopback)")

foreach(url LAUNCHER_MIRROR_URL LAUNCHER_HOST_SERVICE LAUNCHER_HOST_REGISTER LAUNCHER_HOST_MEMBER
            LAUNCHER_HOST_MAIN LAUNCHER_HOST_PAY LAUNCHER_HOST_DOMAIN)
  if(NOT ${url} MATCHES "^http://.*/$")
    message(FATAL_ERROR "${url} must be an http:// URL ending in a slash")
  endif()
endforeach()
foreach(url LAUNCHER_MIRROR_URL2 LAUNCHER_MIRROR_URL3)
  if(NOT ${url} STREQUAL "" AND NOT ${url} MATCHES "^http://.*/$")
    message(FATAL_ERROR "${url} must be empty or an http:// URL ending in a slash")
  endif()
endforeach()
# Anyone can sign with the demo keys: their private halves lie in the build
# folder. A launcher that trusts them may only fetch from this machine, so
# the defaults serve the demo and a release build must choose.
if(LAUNCHER_RELEASE_KEYS STREQUAL "demo")
  set(_octet "[0-9][0-9]?[0-9]?")
  foreach(url LAUNCHER_MIRROR_URL LAUNCHER_MIRROR_URL2 LAUNCHER_MIRROR_URL3)
    string(REGEX MATCH "^http://([^/]*)/" _mirror "${${url}}")
    string(TOLOWER "${CMAKE_MATCH_1}" _mirror_host)
    if(NOT ${url} STREQUAL "" AND NOT _mirror_host MATCHES
       "^(127\\.${_octet}\\.${_octet}\\.${_octet}|localhost|\\[::1\\])(:[0-9]+)?$")
      message(FATAL_ERROR "LAUNCHER_RELEASE_KEYS=demo (the default) trusts keys whose private \
halves lie in the build folder; it serves only mirrors on loopback (127.0.0.0/8, localhost, \
[::1]), and ${url} is ${${url}}. Sign releases with a key of your own (publish keygen) and \
give its public half with -DLAUNCHER_RELEASE_KEYS=<64 hex digits>, or build without signing \
with -DLAUNCHER_RELEASE_KEYS=")
    endif()
  endforeach()
endif()
# Only the scheme, host and port of a page count, so a path here would only
# mislead: it would not limit anything.
foreach(_host IN LISTS LAUNCHER_EXTRA_PAGE_HOSTS)
  if(NOT _host MATCHES "^https?://([^/?#@:[]+|\\[[0-9A-Fa-f:.]+\\])(:[0-9]+)?/?$")
    message(FATAL_ERROR "LAUNCHER_EXTRA_PAGE_HOSTS: '${_host}' is not an origin such as \
https://login.example.com/ or http://10.0.0.5:8080/ (scheme, host and port, no path)")
  endif()
endforeach()
if(NOT LAUNCHER_SERVER_ADDR MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+$")
  message(FATAL_ERROR "LAUNCHER_SERVER_ADDR must be a dotted IPv4 address")
endif()

string(LENGTH "${LAUNCHER_PACKAGE_PASSWORD_HEX}" _pw_len)
if(NOT _pw_len EQUAL 46 OR NOT LAUNCHER_PACKAGE_PASSWORD_HEX MATCHES "^[0-9A-Fa-f]+$")
  message(FATAL_ERROR "LAUNCHER_PACKAGE_PASSWORD_HEX must be exactly 46 hex digits (23 bytes)")
endif()
set(LAUNCHER_PACKAGE_PASSWORD_LITERAL "")
foreach(i RANGE 0 44 2)
  string(SUBSTRING "${LAUNCHER_PACKAGE_PASSWORD_HEX}" ${i} 2 _byte)
  if(_byte STREQUAL "00")
    message(FATAL_ERROR "LAUNCHER_PACKAGE_PASSWORD_HEX must not contain a zero byte")
  endif()
  string(APPEND LAUNCHER_PACKAGE_PASSWORD_LITERAL "\\x${_byte}")
endforeach()

set(LAUNCHER_RELEASE_KEYS_TEXT "${LAUNCHER_RELEASE_KEYS}")
if(LAUNCHER_RELEASE_KEYS STREQUAL "demo")
  include(${CMAKE_CURRENT_LIST_DIR}/DemoKeys.cmake)
  set(LAUNCHER_RELEASE_KEYS_TEXT "${LAUNCHER_DEMO_RELEASE_KEYS}")
endif()
list(LENGTH LAUNCHER_RELEASE_KEYS_TEXT _key_count)
if(_key_count GREATER 2)
  message(FATAL_ERROR "LAUNCHER_RELEASE_KEYS holds at most two keys (the current and the next)")
endif()
foreach(_key IN LISTS LAUNCHER_RELEASE_KEYS_TEXT)
  if(NOT _key MATCHES "^[0-9A-Fa-f]+$")
    message(FATAL_ERROR "LAUNCHER_RELEASE_KEYS: '${_key}' is not a public key of 64 hex digits")
  endif()
  string(LENGTH "${_key}" _key_len)
  if(NOT _key_len EQUAL 64)
    message(FATAL_ERROR "LAUNCHER_RELEASE_KEYS: '${_key}' is not a public key of 64 hex digits")
  endif()
endforeach()

configure_file(${CMAKE_CURRENT_LIST_DIR}/launcher_settings.h.in
               ${CMAKE_BINARY_DIR}/generated/launcher_settings.h @ONLY)
add_library(launcher_settings INTERFACE)
target_include_directories(launcher_settings INTERFACE ${CMAKE_BINARY_DIR}/generated)
