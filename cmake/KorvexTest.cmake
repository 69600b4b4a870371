# korvex_add_test: one GoogleTest executable, registered with CTest. Cross builds run it through
# CMAKE_CROSSCOMPILING_EMULATOR (wine).
if(NOT TARGET gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(KORVEX_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  add_subdirectory(${KORVEX_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

# Screenshots of the desktop tests land here, as PNG files (those at 144 dpi in 144dpi/).
set(KORVEX_SCREENSHOTS ${PROJECT_SOURCE_DIR}/build/gui-screenshots)

# korvex_add_test(NAME name SOURCES ... LIBS ... [GUI [AT_144DPI]]): GUI marks a test of real
# windows (Win32 builds only): it runs alone, after the desktop is set up, and saves its
# screenshots; AT_144DPI runs it again as name_144dpi on a Wine machine at 144 dpi
# (KORVEX_GUI_DPI tells scripts/wine-run which machine, and the test what sizes to expect).
function(korvex_add_test)
  cmake_parse_arguments(T "GUI;AT_144DPI" "NAME" "SOURCES;LIBS" ${ARGN})
  if(T_GUI AND NOT WIN32)
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} korvex_options GTest::gtest GTest::gmock
                                          GTest::gtest_main)
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT 900)
  if(T_GUI)
    set_tests_properties(${T_NAME} PROPERTIES FIXTURES_REQUIRED korvex_gui RUN_SERIAL TRUE
                         ENVIRONMENT "KORVEX_GUI_SCREENSHOTS=Z:${KORVEX_SCREENSHOTS}")
  endif()
  if(T_GUI AND T_AT_144DPI)
    add_test(NAME ${T_NAME}_144dpi COMMAND ${T_NAME})
    set_tests_properties(
      ${T_NAME}_144dpi
      PROPERTIES FIXTURES_REQUIRED korvex_gui_144dpi RUN_SERIAL TRUE TIMEOUT 900
                 ENVIRONMENT "KORVEX_GUI_DPI=144;KORVEX_GUI_SCREENSHOTS=Z:${KORVEX_SCREENSHOTS}/144dpi")
  endif()
endfunction()
