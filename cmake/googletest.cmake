# GoogleTest for a cross-build: no package for the target exists, so it is built from the local
# source (Debian's googletest package) with the same toolchain, and find_package(GTest) is
# pointed at the targets that gives.
set(MIRELDA_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree for cross-builds")
if(NOT EXISTS ${MIRELDA_GTEST_SOURCE}/CMakeLists.txt)
  message(WARNING "No GoogleTest source at ${MIRELDA_GTEST_SOURCE}: tests are not built")
  set(MIRELDA_BUILD_TESTS OFF)
  return()
endif()

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${MIRELDA_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(config_dir ${CMAKE_BINARY_DIR}/googletest-config)
file(WRITE ${config_dir}/GTestConfig.cmake "# The GTest targets are built in this tree.\n")
set(GTest_DIR ${config_dir} CACHE PATH "" FORCE)

# Listing the tests needs the emulator, so it waits until ctest runs rather than every build.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
