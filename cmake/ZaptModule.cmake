# zapt_expose(<target> <folder...>)
# Gives <target> and whatever links it the headers of <folder...> (paths below the source root,
# included as "<folder>/Name.h") and no others. Each target sees its own folders and those of
# the targets it links, so an include that runs against the layers does not compile.
function(zapt_expose target)
    set(root ${PROJECT_BINARY_DIR}/layers/${target})
    foreach(folder ${ARGN})
        get_filename_component(parent ${root}/${folder} DIRECTORY)
        file(MAKE_DIRECTORY ${parent})
        if(NOT IS_SYMLINK ${root}/${folder})
            file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
        endif()
    endforeach()
    target_include_directories(${target} PUBLIC ${root})
endfunction()

# zapt_module(<target> <folder> [LIBS <targets...>])
# A module library made of the sources in <folder> (not recursing), exposing that folder.
function(zapt_module target folder)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS "${folder}/*.cpp" "${folder}/*.h")
    add_library(${target} STATIC ${sources})
    file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${folder})
    zapt_expose(${target} ${relative})
    target_link_libraries(${target} PUBLIC ${ARG_LIBS})
    zapt_warnings(${target})
endfunction()
