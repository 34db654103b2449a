# zapt_add_test(<name> SOURCES <files...> [LIBS <targets...>] [ENV <VAR=value...>] [LABELS <labels...>])
# Makes one GoogleTest program, links it with the given module libraries (zapt_core when none
# are named) and registers it with CTest. Every test runs offscreen with SDL's dummy driver
# unless ENV says otherwise. FluidSynth's sound-font loader runs on OpenMP threads, which the
# thread sanitizer cannot follow; one thread is enough for the tests.
include(GoogleTest)
function(zapt_add_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;ENV;LABELS" ${ARGN})
    if(NOT ARG_LIBS)
        set(ARG_LIBS zapt_core)
    endif()
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} zapt_testsupport GTest::gtest GTest::gmock)
    zapt_warnings(${name})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;SDL_AUDIODRIVER=dummy;OMP_NUM_THREADS=1;${ARG_ENV}"
        LABELS "${ARG_LABELS}")
endfunction()
