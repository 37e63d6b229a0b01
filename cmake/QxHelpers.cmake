include(GoogleTest)

# qx_test(<name> SOURCES ... LIBS ...)
# A GoogleTest program whose every test runs as its own process (ctest runs it
# with a filter per test), so tests that touch process-wide state cannot see
# each other. On win32 the program runs under Wine, which is slower: the
# per-test time-out grows accordingly. Tests that share something outside the
# process (the registry of the Wine prefix; the screen, for tests that take
# screenshots) name it in RESOURCE_LOCK, and ctest runs them one at a time.
function(qx_test name)
  cmake_parse_arguments(QT "" "TIMEOUT" "SOURCES;LIBS;LABELS;RESOURCE_LOCK" ${ARGN})
  add_executable(${name} ${QT_SOURCES})
  target_link_libraries(${name} PRIVATE ${QT_LIBS} GTest::gtest GTest::gtest_main qx_testsupport)
  if(QT_TIMEOUT)
    set(timeout ${QT_TIMEOUT})
  elseif(WIN32)
    set(timeout 120)
  else()
    set(timeout 60)
  endif()
  set(props TIMEOUT ${timeout})
  if(QT_LABELS)
    list(APPEND props LABELS "${QT_LABELS}")
  endif()
  if(QT_RESOURCE_LOCK)
    list(APPEND props RESOURCE_LOCK "${QT_RESOURCE_LOCK}")
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
    PROPERTIES ${props})
endfunction()

# qx_export_only(<target> <version script>)
# On Linux a shared library exports exactly the names its version script
# lists: hidden visibility alone lets the standard library's template
# instantiations and type information leak into the dynamic symbol table.
# Windows builds export by their .def files or export macros instead.
function(qx_export_only target script)
  if(NOT WIN32)
    target_link_options(${target} PRIVATE "LINKER:--version-script=${script}")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${script})
  endif()
endfunction()
