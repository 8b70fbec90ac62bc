find_package(GTest REQUIRED)
include(GoogleTest)

# varden_add_test(<name> SOURCES <files...> LIBS <targets...> [SERIAL])
# One GoogleTest executable; its tests are listed for CTest when CTest runs, not at build time.
# Tests run in the build folder on Qt's offscreen platform; tests/support finds varden_sim.
function(varden_add_test name)
    cmake_parse_arguments(ARG "SERIAL" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    set(properties TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT QT_QPA_PLATFORM=offscreen)
    if(ARG_LABELS)
        list(APPEND properties LABELS ${ARG_LABELS})
    endif()
    # Tests that click into a real window on timed steps run alone, not beside other tests.
    if(ARG_SERIAL)
        list(APPEND properties RUN_SERIAL TRUE)
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
        PROPERTIES ${properties})
endfunction()
