# Adds each listed folder that has a CMakeLists.txt, so that a part of the tree
# can be built before its neighbours exist.
function(kelvo_add_subdirectories)
    foreach(dir IN LISTS ARGN)
        if(EXISTS "${CMAKE_SOURCE_DIR}/${dir}/CMakeLists.txt")
            add_subdirectory("${CMAKE_SOURCE_DIR}/${dir}")
        endif()
    endforeach()
endfunction()

# kelvo_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [GUI] [ENVIRONMENT K=V ...])
# One GoogleTest executable, registered with CTest. GUI tests run offscreen.
function(kelvo_add_test name)
    cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}")
    set(environment ${ARG_ENVIRONMENT})
    if(ARG_GUI)
        list(APPEND environment QT_QPA_PLATFORM=offscreen)
    endif()
    # Parameterised cases are listed under the names their suites give them,
    # never under their printed values, which can hold raw bytes and pointers.
    gtest_discover_tests(${name}
        NO_PRETTY_VALUES
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "${environment}"
                   TIMEOUT 300)
endfunction()
