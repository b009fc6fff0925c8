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

# kelvo_add_program_module(NAME ENTRY source.cpp LIBS lib1 ... LOADER loader.cpp
#                          LOADER_TARGET target)
# A module the monitor loads when it first needs it: NAME.so in run/, built
# from the one entry point's source over the libraries, showing nothing but
# that entry point, so that the code inside keeps to its own copies whatever
# the loading program defines. The loader, the object library LOADER_TARGET,
# linked into a program, stands in there for what the libraries give others.
function(kelvo_add_program_module name)
    cmake_parse_arguments(ARG "" "ENTRY;LOADER;LOADER_TARGET" "LIBS" ${ARGN})
    add_library(${name} MODULE ${ARG_ENTRY})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    target_link_options(${name} PRIVATE LINKER:--exclude-libs,ALL LINKER:-Bsymbolic)
    set_target_properties(${name} PROPERTIES
        PREFIX ""
        CXX_VISIBILITY_PRESET hidden
        LIBRARY_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/run")
    # Object files, so that the loader's definitions are the ones the program gets.
    add_library(${ARG_LOADER_TARGET} OBJECT ${ARG_LOADER})
    target_include_directories(${ARG_LOADER_TARGET} PUBLIC "${CMAKE_SOURCE_DIR}")
    target_link_libraries(${ARG_LOADER_TARGET} PUBLIC kelvo_program_module)
endfunction()
