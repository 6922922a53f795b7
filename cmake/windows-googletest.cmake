# GoogleTest for a Windows build: no MinGW package exists, so it is built from the sources
# Debian's libgtest-dev installs, with the project's toolchain, into the build tree. Without
# those sources the tests are left out and the program alone is built.
set(DURNO_GOOGLETEST_SOURCE /usr/src/googletest
    CACHE PATH "GoogleTest sources to build the Windows tests with")
if(NOT EXISTS ${DURNO_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(STATUS "No GoogleTest sources in ${DURNO_GOOGLETEST_SOURCE}: tests are not built")
  set(DURNO_BUILD_TESTS OFF)
  return()
endif()

enable_language(C)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${DURNO_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# GoogleTest's own build names its targets GTest::gtest and GTest::gtest_main, as
# find_package(GTest) does.
