# Warning flags shared by every target of the project.
function(zapt_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow=local
        -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-qual)
    if(ZAPT_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
