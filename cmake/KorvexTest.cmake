# korvex_add_test(NAME name SOURCES ... LIBS ...): one GoogleTest executable, registered with
# CTest. Cross builds run it through CMAKE_CROSSCOMPILING_EMULATOR (wine).
if(NOT TARGET gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(KORVEX_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  add_subdirectory(${KORVEX_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

function(korvex_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} korvex_options GTest::gtest GTest::gmock
                                          GTest::gtest_main)
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT 900)
endfunction()
