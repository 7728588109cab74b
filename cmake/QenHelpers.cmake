# Warnings for our own code: every target of the project gets them, third-party code does not.
function(qen_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                             -Wold-style-cast -Wcast-align -Woverloaded-virtual -Werror)
  endif()
endfunction()

# qen_add_test(NAME SOURCES a.cpp b.cpp [WHITEBOX] [LABELS l1 l2])
# An API test links the shared library; a WHITEBOX test links the library's objects instead so it can reach
# internals. Never both in one executable: module state would exist twice.
function(qen_add_test name)
  cmake_parse_arguments(ARG "WHITEBOX" "" "SOURCES;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_WHITEBOX)
    target_link_libraries(${name} PRIVATE qenproperties_objects)
    target_compile_definitions(${name} PRIVATE QENPROPERTIES_BUILDING)
  else()
    target_link_libraries(${name} PRIVATE qenproperties::qenproperties)
  endif()
  target_link_libraries(${name} PRIVATE qenproperties_testing GTest::gtest GTest::gtest_main Threads::Threads)
  qen_warnings(${name})
  add_test(NAME ${name} COMMAND ${name})
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
endfunction()
