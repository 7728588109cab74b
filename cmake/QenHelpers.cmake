# Warnings for our own code: every target of the project gets them, third-party code does not.
function(qen_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                             -Wold-style-cast -Wcast-align -Woverloaded-virtual -Werror)
  endif()
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

# qen_area(SOURCES a.cpp ... TESTS a_test.cpp ...): one folder of the library. Each test file becomes an API
# test named after it.
function(qen_area)
  cmake_parse_arguments(ARG "" "" "SOURCES;TESTS;CONCURRENCY_TESTS" ${ARGN})
  foreach(src ${ARG_SOURCES})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${src})
      target_sources(qenproperties_objects PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/${src})
    endif()
  endforeach()
  if(QEN_BUILD_TESTS)
    foreach(test ${ARG_TESTS})
      if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${test})
        get_filename_component(name ${test} NAME_WE)
        qen_add_test(${name} SOURCES ${test})
      endif()
    endforeach()
    foreach(test ${ARG_CONCURRENCY_TESTS})
      if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${test})
        get_filename_component(name ${test} NAME_WE)
        qen_add_test(${name} SOURCES ${test} LABELS concurrency)
      endif()
    endforeach()
  endif()
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
