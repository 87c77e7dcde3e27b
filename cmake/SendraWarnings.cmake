# Every target of ours is built with the same warnings; the build stays clean under them.
function(sendra_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()
