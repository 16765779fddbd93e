# Warnings for our own targets: hdgr_warnings(target). CI builds with HDGR_WERROR=ON, so a
# new warning fails the build there; a user's own build only prints it.
option(HDGR_WERROR "Treat warnings as errors in our own targets" OFF)

function(hdgr_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                           -Wno-sign-conversion)
  if(HDGR_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
