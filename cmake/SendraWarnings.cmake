# Every target of ours is built with the same warnings; the build stays clean under them.
# With SENDRA_WARNINGS_AS_ERRORS (make test turns it on) any warning fails the build.

function(sendra_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(SENDRA_WARNINGS_AS_ERRORS)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
