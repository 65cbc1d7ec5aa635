# Native Linux build: core tests under GoogleTest, benchmarks, fuzz targets.
if(NOT FILVEX_FUZZ)
  find_package(GTest REQUIRED)
  add_executable(filvex_core_tests ${CORE_TEST_SOURCES})
  filvex_target_defaults(filvex_core_tests)
  target_link_libraries(filvex_core_tests PRIVATE filvex_core GTest::gtest GTest::gtest_main)
  add_test(NAME core COMMAND filvex_core_tests)
endif()

file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*_bench.cpp)
foreach(src ${BENCH_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  filvex_target_defaults(${name})
  target_compile_options(${name} PRIVATE -O2)
  target_link_libraries(${name} PRIVATE filvex_core)
endforeach()

if(FILVEX_FUZZ)
  # Every sanitizer report ends the run (UBSan would otherwise print and go
  # on, and the fuzzer would never keep the input that found it).
  set(FILVEX_FUZZ_HALT -fno-sanitize-recover=all)
  target_compile_options(filvex_core PRIVATE -fsanitize=fuzzer-no-link,address,undefined ${FILVEX_FUZZ_HALT})
  # Whatever links the instrumented core (the console client too) needs the
  # sanitizer runtimes.
  target_link_options(filvex_core INTERFACE -fsanitize=address,undefined)
  file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*_fuzz.cpp)
  foreach(src ${FUZZ_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    filvex_target_defaults(${name})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined ${FILVEX_FUZZ_HALT})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name} PRIVATE filvex_core)
  endforeach()
endif()
