# GoogleTest: Debian's package on Linux, built from its sources for the mingw flavours.
if(WIN32)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # gtest's own sources do not pass our warning flags.
  foreach(t gtest gtest_main)
    target_compile_options(${t} PRIVATE -Wno-error)
  endforeach()
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# abk_add_test(NAME sources...): one test program. On win64 ctest runs it through the Wine emulator.
function(abk_add_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE GTest::gtest abk_platform)
  if(WIN32)
    target_link_options(${name} PRIVATE -static)
  endif()
  # The PE32 flavour cannot run on this machine; its test programs are only built.
  if(WIN32 AND CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    return()
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()
