# Cross build: Filvex.exe, the Windows test executable (core + platform +
# window tests), and the console client as a Windows console program.
enable_language(RC)

set(FILVEX_WIN_LIBS comctl32 shell32 shlwapi ole32 oleaut32 uuid gdi32 psapi comdlg32)

file(GLOB PLATFORM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/*.cpp)
set(WINDOW_SOURCES)
foreach(dir ${SUBSYSTEMS})
  file(GLOB dir_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*_win.cpp)
  list(APPEND WINDOW_SOURCES ${dir_sources})
endforeach()
list(FILTER WINDOW_SOURCES EXCLUDE REGEX "/app/winmain_win\\.cpp$")
if(NOT PLATFORM_SOURCES AND NOT WINDOW_SOURCES)
  set(PLATFORM_SOURCES ${FILVEX_EMPTY_UNIT})
endif()

add_library(filvex_win STATIC ${PLATFORM_SOURCES} ${WINDOW_SOURCES})
filvex_target_defaults(filvex_win)
target_compile_definitions(filvex_win PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
target_link_libraries(filvex_win PUBLIC filvex_core ${FILVEX_WIN_LIBS})

add_executable(Filvex WIN32 ${CMAKE_SOURCE_DIR}/app/winmain_win.cpp ${CMAKE_SOURCE_DIR}/app/filvex.rc)
filvex_target_defaults(Filvex)
target_link_libraries(Filvex PRIVATE filvex_win)

# GoogleTest built from Debian's sources with the cross compiler.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB WIN_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
add_executable(filvex_win_tests ${CORE_TEST_SOURCES} ${WIN_TEST_SOURCES} ${CMAKE_SOURCE_DIR}/app/filvex_tests.rc)
filvex_target_defaults(filvex_win_tests)
target_link_libraries(filvex_win_tests PRIVATE filvex_win gtest gtest_main ws2_32)

# Windows-only benchmarks (bench/*_winbench.cpp), each its own console program,
# run under Wine by scripts/bench-build.sh and the like.
file(GLOB WIN_BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*_winbench.cpp)
foreach(src ${WIN_BENCH_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  filvex_target_defaults(${name})
  target_compile_options(${name} PRIVATE -O2)
  target_link_libraries(${name} PRIVATE filvex_win)
endforeach()
