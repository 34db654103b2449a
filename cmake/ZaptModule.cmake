# zapt_module(<target> <folder> [LIBS <targets...>])
# A module library made of the sources in <folder> (not recursing), except the window sources
# (names starting with "frm"), which belong to the application library zapt_app.
function(zapt_module target folder)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS "${folder}/*.cpp" "${folder}/*.h")
    list(FILTER sources EXCLUDE REGEX "/frm[^/]*$")
    if(NOT sources MATCHES "\\.cpp")
        # A module whose folder holds no source yet still gives a library to link.
        file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${target}_empty.cpp "static_assert(true);\n")
        list(APPEND sources ${CMAKE_CURRENT_BINARY_DIR}/${target}_empty.cpp)
    endif()
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${ARG_LIBS})
    zapt_warnings(${target})
endfunction()
