# keld_test(NAME <name> LABEL <unit|gui|e2e> SOURCES <files...> LIBS <targets...>)
# One test executable, run by CTest as one test with the suite's test environment.
function(keld_test)
  cmake_parse_arguments(T "" "NAME;LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  if(NOT T_LIBS MATCHES "GTest::gtest_main")
    target_link_libraries(${T_NAME} PRIVATE keld_test_main)
  endif()
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES
    LABELS "${T_LABEL}"
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KELD_TESTDATA=${KELD_TESTDATA};KELD_BIN=${CMAKE_BINARY_DIR}/bin;KELD_SOURCE=${CMAKE_SOURCE_DIR}")
endfunction()
