# The project's CMake helpers: every area of the library, both shared libraries and every test go through
# them, so a folder's CMakeLists.txt is a list of its files.

# Warnings for our own code: every target of the project gets them, third-party code does not.
function(qen_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                             -Wold-style-cast -Wcast-align -Woverloaded-virtual -Werror)
  endif()
endfunction()

# qen_require_files(file...): a listed file that does not exist stops the configuration, so a renamed or
# misspelled source or test cannot silently drop out of the build.
function(qen_require_files)
  foreach(file ${ARGN})
    if(file MATCHES "^\\$<")
      continue()  # a generator expression, such as an object library's objects
    endif()
    if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${file})
      message(FATAL_ERROR "${CMAKE_CURRENT_SOURCE_DIR}/${file} is listed but does not exist")
    endif()
  endforeach()
endfunction()

# qen_hidden_visibility(target): only what carries an export macro leaves the shared library.
function(qen_hidden_visibility target)
  set_target_properties(${target} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON
                                             POSITION_INDEPENDENT_CODE ON)
endfunction()

# qen_shared_library(name ALIAS alias EXPORT_NAME name BUILDING macro [SOURCES ...]): one of the project's
# shared libraries: hidden visibility, the project's version and soversion, the include root as a build and
# install interface, C++17, and `macro` defined while it is compiled (its export macro then exports).
function(qen_shared_library name)
  cmake_parse_arguments(ARG "" "ALIAS;EXPORT_NAME;BUILDING" "SOURCES" ${ARGN})
  qen_require_files(${ARG_SOURCES})
  add_library(${name} SHARED ${ARG_SOURCES})
  add_library(${ARG_ALIAS} ALIAS ${name})
  qen_hidden_visibility(${name})
  set_target_properties(${name} PROPERTIES
    VERSION ${PROJECT_VERSION}
    SOVERSION ${PROJECT_VERSION_MAJOR}
    EXPORT_NAME ${ARG_EXPORT_NAME})
  if(WIN32)
    # qenproperties.dll, without the "lib" that MinGW would put in front.
    set_target_properties(${name} PROPERTIES PREFIX "")
  endif()
  target_compile_definitions(${name} PRIVATE ${ARG_BUILDING})
  target_include_directories(${name} PUBLIC
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  target_compile_features(${name} PUBLIC cxx_std_17)
  qen_warnings(${name})
endfunction()

# qen_public_headers(SET set FILES h...): headers that `cmake --install` installs with the package set `set`
# (core, or host for the host kit), keeping their place below the include root. Only headers listed here are
# installed; each must compile on its own and declare only inline or exported functions.
function(qen_public_headers)
  cmake_parse_arguments(ARG "" "SET" "FILES" ${ARGN})
  qen_require_files(${ARG_FILES})
  foreach(header ${ARG_FILES})
    file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/${header})
    set_property(GLOBAL APPEND PROPERTY QEN_PUBLIC_HEADERS_${ARG_SET} ${relative})
  endforeach()
endfunction()

# qen_uses_allocation_failure(OUT a.cpp ...): sets OUT when a source includes the allocation-failure helper,
# which replaces operator new in the test program. On Windows a DLL allocates through its own operator new, which
# no replacement in the program reaches, so such a test links the library's objects there instead of the DLL.
function(qen_uses_allocation_failure out)
  foreach(src ${ARGN})
    get_filename_component(path ${src} ABSOLUTE)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${path})
    file(STRINGS ${path} uses REGEX "#include \"qenproperties/testing/allocation_failure.h\"")
    if(uses)
      set(${out} ON PARENT_SCOPE)
    endif()
  endforeach()
endfunction()

# qen_add_test(NAME SOURCES a.cpp b.cpp [WHITEBOX] [LABELS l1 l2])
# An API test links the shared library; a WHITEBOX test links the library's objects instead so it can reach
# internals. Never both in one executable: module state would exist twice.
function(qen_add_test name)
  cmake_parse_arguments(ARG "WHITEBOX" "" "SOURCES;LABELS" ${ARGN})
  qen_require_files(${ARG_SOURCES})
  if(WIN32 AND NOT ARG_WHITEBOX)
    qen_uses_allocation_failure(ARG_WHITEBOX ${ARG_SOURCES})
  endif()
  add_executable(${name} ${ARG_SOURCES})
  # The test doubles come first on the link line: a Windows linker resolves their references to the library
  # only from import libraries that follow them.
  if(ARG_WHITEBOX AND WIN32)
    target_link_libraries(${name} PRIVATE qenproperties_testing_whitebox)
  else()
    target_link_libraries(${name} PRIVATE qenproperties_testing)
  endif()
  if(ARG_WHITEBOX)
    target_link_libraries(${name} PRIVATE qenproperties_objects)
    target_compile_definitions(${name} PRIVATE QENPROPERTIES_BUILDING)
  else()
    target_link_libraries(${name} PRIVATE qenproperties::qenproperties)
  endif()
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main Threads::Threads)
  qen_warnings(${name})
  add_test(NAME ${name} COMMAND ${name})
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
endfunction()

# qen_area(SOURCES a.cpp ... HEADERS a.h ... TESTS a_test.cpp ... WHITEBOX_TESTS ... CONCURRENCY_TESTS ...):
# one folder of the core library. The sources go into the library, the headers into the installed package;
# each test file becomes a test named after it (white-box tests link the library's objects, concurrency tests
# also run under ThreadSanitizer).
function(qen_area)
  cmake_parse_arguments(ARG "" "" "SOURCES;HEADERS;TESTS;WHITEBOX_TESTS;CONCURRENCY_TESTS" ${ARGN})
  qen_require_files(${ARG_SOURCES} ${ARG_TESTS} ${ARG_WHITEBOX_TESTS} ${ARG_CONCURRENCY_TESTS})
  foreach(src ${ARG_SOURCES})
    target_sources(qenproperties_objects PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/${src})
  endforeach()
  if(ARG_HEADERS)
    qen_public_headers(SET core FILES ${ARG_HEADERS})
  endif()
  if(NOT QEN_BUILD_TESTS)
    return()
  endif()
  foreach(test ${ARG_TESTS})
    get_filename_component(name ${test} NAME_WE)
    qen_add_test(${name} SOURCES ${test})
  endforeach()
  foreach(test ${ARG_WHITEBOX_TESTS})
    get_filename_component(name ${test} NAME_WE)
    qen_add_test(${name} SOURCES ${test} WHITEBOX)
  endforeach()
  foreach(test ${ARG_CONCURRENCY_TESTS})
    get_filename_component(name ${test} NAME_WE)
    qen_add_test(${name} SOURCES ${test} LABELS concurrency)
  endforeach()
endfunction()

# qen_program_command(OUT target): what a shell-script test runs as the built program `target`: the program
# itself, or, when the build names an emulator for its programs (a cross build), a launcher script generated
# beside it that runs the program through the emulator with the arguments it is given.
function(qen_program_command out target)
  if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    set(${out} $<TARGET_FILE:${target}> PARENT_SCOPE)
    return()
  endif()
  set(command "")
  foreach(word ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${target}>)
    string(APPEND command "'${word}' ")
  endforeach()
  set(launcher ${CMAKE_CURRENT_BINARY_DIR}/run-${target})
  file(GENERATE OUTPUT ${launcher} CONTENT "#!/bin/sh\nexec ${command}\"$@\"\n"
       FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(${out} ${launcher} PARENT_SCOPE)
endfunction()
