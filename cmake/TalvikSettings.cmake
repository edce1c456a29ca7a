# One INTERFACE target carries the compile settings every target of ours shares.
add_library(talvik_settings INTERFACE)
target_compile_features(talvik_settings INTERFACE cxx_std_20)
target_compile_definitions(talvik_settings INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CONTEXTLESS_CONNECT
  QT_USE_QSTRINGBUILDER
  QT_NO_KEYWORDS)
target_compile_options(talvik_settings INTERFACE -Wall -Wextra)
if(TALVIK_SANITIZE)
  target_compile_options(talvik_settings INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer)
  target_link_options(talvik_settings INTERFACE -fsanitize=address,undefined)
endif()

# Adds the subdirectories of DIR that carry a CMakeLists.txt, so each layer or area owns its own.
function(talvik_add_subdirectories dir)
  file(GLOB children RELATIVE ${dir} ${dir}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${dir}/${child} AND EXISTS ${dir}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# talvik_test(NAME SOURCES... LIBS ...): one GoogleTest executable registered with CTest.
# Every test runs on the offscreen platform with a sandbox-free web engine, so no display is needed.
function(talvik_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE talvik_settings ${T_LIBS} GTest::gtest GTest::gmock)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTWEBENGINE_DISABLE_SANDBOX=1;QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu;TALVIK_BIN_DIR=${TALVIK_BIN_DIR}"
    TIMEOUT 300)
endfunction()

# talvik_bench(NAME SOURCES... LIBS ...): one Google Benchmark executable in build/bench/.
function(talvik_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  target_link_libraries(${name} PRIVATE talvik_settings ${B_LIBS} benchmark::benchmark)
endfunction()
