# GoogleTest as a package for find_package(GTest): its targets were already added from source by
# the root CMakeLists.txt (VELTRIX_GTEST_FROM_SOURCE), so there is nothing left to find.
if(NOT TARGET GTest::gtest_main)
  set(GTest_FOUND FALSE)
  set(GTest_NOT_FOUND_MESSAGE "GoogleTest was not added from source before find_package(GTest)")
endif()
