# The demo's release keys: two, so the demo and the tests exercise a key
# rotation. Made once per build tree with a native helper (cmake/demokey),
# kept in <build>/demo-keys/release-N.key with the public key beside it in
# release-N.pub. Sets LAUNCHER_DEMO_RELEASE_KEYS to the two public keys.
set(_keys ${CMAKE_BINARY_DIR}/demo-keys)
if(NOT EXISTS ${_keys}/release-2.pub)
  message(STATUS "Making the demo release keys in ${_keys}")
  file(MAKE_DIRECTORY ${_keys})
  # A project of its own, so it gets the host's compiler whatever this tree
  # cross-compiles for.
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${CMAKE_CURRENT_LIST_DIR}/demokey -B ${_keys}/tool
                          -G Ninja -DCMAKE_BUILD_TYPE=Release
                  COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${_keys}/tool COMMAND_ERROR_IS_FATAL ANY
                  OUTPUT_QUIET)
  foreach(n 1 2)
    file(REMOVE ${_keys}/release-${n}.key)
    execute_process(COMMAND ${_keys}/tool/demokey ${_keys}/release-${n}.key
                    OUTPUT_VARIABLE _public OUTPUT_STRIP_TRAILING_WHITESPACE
                    COMMAND_ERROR_IS_FATAL ANY)
    file(WRITE ${_keys}/release-${n}.pub "${_public}\n")
  endforeach()
endif()
file(STRINGS ${_keys}/release-1.pub _first)
file(STRINGS ${_keys}/release-2.pub _second)
set(LAUNCHER_DEMO_RELEASE_KEYS "${_first};${_second}")
