# Warning flags shared by every target of the project.
function(zapt_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic
        -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-qual
        $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>)
    if(ZAPT_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
