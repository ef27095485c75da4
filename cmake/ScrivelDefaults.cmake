# Compile settings that every target of ours carries (warnings, sanitizers).
add_library(scrivel_defaults INTERFACE)
target_compile_options(scrivel_defaults INTERFACE -Wall -Wextra)
target_include_directories(scrivel_defaults INTERFACE ${PROJECT_SOURCE_DIR})

# Where a target of the product is installed: the application folder is flat.
function(scrivel_install target)
  install(TARGETS ${target}
          RUNTIME DESTINATION .
          LIBRARY DESTINATION .)
endfunction()

# A GoogleTest executable under CTest. Test binaries stay out of the app folder.
#   scrivel_add_test(NAME name SOURCES ... LIBS ... LABELS unit|e2e|slow [TIMEOUT s]
#                    [WIDGETS | UMOCKDEV])
# UMOCKDEV: the test runs with emulated devices (tests/support/mockdevices.h).
function(scrivel_add_test)
  cmake_parse_arguments(T "WIDGETS;UMOCKDEV" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  set_target_properties(${T_NAME} PROPERTIES
      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests
      BUILD_RPATH "${SCRIVEL_APP_DIR}")
  if(T_WIDGETS)
    target_link_libraries(${T_NAME} PRIVATE scrivel_widget_test_main)
  elseif(T_UMOCKDEV)
    target_link_libraries(${T_NAME} PRIVATE scrivel_umockdev_test_main)
  else()
    target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main)
  endif()
  target_link_libraries(${T_NAME} PRIVATE scrivel_defaults GTest::gtest GTest::gmock ${T_LIBS})
  target_compile_definitions(${T_NAME} PRIVATE
      SCRIVEL_APP_DIR="${SCRIVEL_APP_DIR}"
      SCRIVEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
      SCRIVEL_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  gtest_discover_tests(${T_NAME}
      DISCOVERY_TIMEOUT 60
      PROPERTIES LABELS "${T_LABELS}" TIMEOUT ${T_TIMEOUT})
endfunction()
