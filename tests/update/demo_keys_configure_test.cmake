# Configures the project with the demo keys and one mirror URL after another:
# any mirror off this machine, the built-in one or an alternate, must stop the
# configure with the message that says what to do. An accepted mirror is told by the configure going on to
# the next check, which a bad LAUNCHER_SERVER_ADDR then stops, so no case
# builds the demo keys or fetches a dependency.
#   cmake -DSOURCE=<checkout> -DBINARY=<scratch folder> -DGENERATOR=<name> -P this
set(_demo_message "LAUNCHER_RELEASE_KEYS=demo")
set(_next_message "LAUNCHER_SERVER_ADDR must be")
set(_own_key "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef")

# More -D settings may follow; the alternate mirrors are empty unless given.
function(configure mirror keys expected)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${BINARY} -G ${GENERATOR}
            -DLAUNCHER_MIRROR_URL=${mirror} -DLAUNCHER_RELEASE_KEYS=${keys}
            -DLAUNCHER_SERVER_ADDR=stop-here -DLAUNCHER_MIRROR_URL2= -DLAUNCHER_MIRROR_URL3=
            ${ARGN}
    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(FIND "${err}" "${expected}" found)
  if(result EQUAL 0 OR found EQUAL -1)
    message(SEND_ERROR
            "mirror ${mirror} ${ARGN}, keys '${keys}': expected '${expected}', got:\n${err}")
  endif()
endfunction()

foreach(mirror http://cdn.example.com/vedu/ http://127.0.0.1.example.com/vedu/
               http://127.0.0.1@cdn.example.com/vedu/ http://localhost.example.com:18080/vedu/
               http://10.0.0.5/vedu/ http://[::1].example.com/vedu/)
  configure(${mirror} demo "${_demo_message}")
endforeach()
foreach(mirror http://127.0.0.1:18080/vedu/ http://127.1.2.3/vedu/ http://LocalHost:8080/vedu/
               http://[::1]:18080/vedu/)
  configure(${mirror} demo "${_next_message}")
endforeach()
configure(http://127.0.0.1:18080/vedu/ demo "LAUNCHER_MIRROR_URL2"
          -DLAUNCHER_MIRROR_URL2=http://cdn.example.com/vedu/)
configure(http://127.0.0.1:18080/vedu/ demo "LAUNCHER_MIRROR_URL3"
          -DLAUNCHER_MIRROR_URL2=http://127.0.0.2/vedu/ -DLAUNCHER_MIRROR_URL3=http://10.0.0.5/vedu/)
configure(http://127.0.0.1:18080/vedu/ demo "${_next_message}"
          -DLAUNCHER_MIRROR_URL2=http://127.0.0.2/vedu/ -DLAUNCHER_MIRROR_URL3=http://[::1]/vedu/)
# Own keys, or no signing, go with any mirror.
configure(http://cdn.example.com/vedu/ "${_own_key}" "${_next_message}")
configure(http://cdn.example.com/vedu/ "" "${_next_message}")
