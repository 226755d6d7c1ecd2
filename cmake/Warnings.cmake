# Project-wide compile flags. Narrow text is GBK at run time: sources are UTF-8
# and every literal is stored as the GBK bytes the program compares and shows.
function(launcher_flags target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  if(NOT LAUNCHER_FUZZ)
    target_compile_options(${target} PRIVATE -finput-charset=UTF-8 -fexec-charset=GBK)
  else()
    # libFuzzer needs coverage from the libraries under test, not only from
    # the target's own file.
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link,address,undefined -g)
  endif()
  if(NOT WIN32 AND LAUNCHER_SANITIZE AND NOT LAUNCHER_FUZZ)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                             -fno-sanitize-recover=all)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
  if(WIN32)
    target_compile_definitions(${target} PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601
                                                 WINVER=0x0601)
    target_link_options(${target} PRIVATE -static)
  endif()
endfunction()
