# Windows build (mingw-w64): the Win32 glue library, the program, and the checks of what the
# executables import and how they are linked. Included by the top-level CMakeLists when WIN32.

# Windows 7 API level, wide ("W") functions: text is UTF-8 inside the program and UTF-16 at every
# Win32 call (platform/win32/wide_text.h). With UNICODE an "A" structure or macro left in the code
# does not compile; tools/check-pe --no-ansi finds "A" functions called by their full names.
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX WIN32_LEAN_AND_MEAN UNICODE _UNICODE)

# Static C and C++ runtime: the executables import system DLLs only (checked by tools/check-pe).
add_link_options(-static -static-libgcc -static-libstdc++)

# Hardening: ASLR and DEP (and 64-bit ASLR entropy). --dynamicbase is only real when the image
# keeps its base relocations; tools/check-pe verifies the .reloc section is present.
add_link_options(-Wl,--dynamicbase -Wl,--nxcompat)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  add_link_options(-Wl,--high-entropy-va)
endif()

# Win32 glue: every <dir>/win32/*.cpp except the program's entry point.
add_library(mirel_win32 STATIC)
foreach(dir IN LISTS MIREL_SOURCE_DIRS)
  file(GLOB glue CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/win32/*.cpp)
  list(FILTER glue EXCLUDE REGEX "/app/win32/WinMain\\.cpp$")
  target_sources(mirel_win32 PRIVATE ${glue})
endforeach()
target_link_libraries(mirel_win32 PUBLIC
  mirel_core user32 gdi32 advapi32 shell32 ole32 oleaut32 uuid comctl32 comdlg32 msimg32)
# The version shown by the program (about box, resources), as a string literal.
target_compile_definitions(mirel_win32 PUBLIC "MIREL_VERSION=\"${PROJECT_VERSION}\"")

# The program: a GUI-subsystem executable with its resources.
file(GLOB program_resources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/app/win32/*.rc)
add_executable(MirelVirtualDesktop WIN32 ${CMAKE_SOURCE_DIR}/app/win32/WinMain.cpp
               ${program_resources})
# The resource compiler's dependency scan does not see the files a script includes: a picture
# redrawn by tools/make-pictures must still compile the resources again.
file(GLOB program_pictures CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/app/win32/res/*)
set_source_files_properties(${program_resources} PROPERTIES OBJECT_DEPENDS "${program_pictures}")
target_link_libraries(MirelVirtualDesktop PRIVATE mirel_win32)
# wWinMain: the runtime's start-up reads the wide command line (MSVC finds wWinMain by itself).
if(MINGW)
  target_link_options(MirelVirtualDesktop PRIVATE -municode)
endif()

# The files the program reads from its own folder, copied beside the executable after each link:
# the sleep timer dialog's picture and the help page. Listed as link dependencies so that a change
# to either relinks the program and so copies it again.
set(MIREL_PROGRAM_FILES ${CMAKE_SOURCE_DIR}/app/win32/res/vdlogo.dat ${CMAKE_SOURCE_DIR}/docs/help/vd.htm)
set_property(TARGET MirelVirtualDesktop APPEND PROPERTY LINK_DEPENDS ${MIREL_PROGRAM_FILES})
add_custom_command(TARGET MirelVirtualDesktop POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/app/win32/res/vdlogo.dat
          $<TARGET_FILE_DIR:MirelVirtualDesktop>/vdlogo.dat
  COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:MirelVirtualDesktop>/help/products
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/docs/help/vd.htm
          $<TARGET_FILE_DIR:MirelVirtualDesktop>/help/products/vd.htm
  VERBATIM)

# Wine tests. Each test executable runs as ONE CTest test in its own Wine session (tools/wine-run,
# the cross-compiling emulator): a fresh prefix copy, Xvfb and wineserver per run, so tests may run
# in parallel. wine-run stops the executable after $MIREL_WINE_TIMEOUT seconds (default 300); the
# CTest timeout stays above that so the session is always torn down by wine-run itself.
set(MIREL_WINE_CTEST_TIMEOUT 600 CACHE STRING "CTest timeout in seconds of one Wine test run")
# Which Wine tests this build runs: FULL (all), SMOKE (the 64-bit subset), NONE (the machine
# cannot execute this architecture's programs; tools/test then runs FULL with the other build and
# says so). By default the 32-bit build, the primary target, runs everything.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(mirel_default_suite SMOKE)
else()
  set(mirel_default_suite FULL)
endif()
set(MIREL_WINE_SUITE ${mirel_default_suite} CACHE STRING "Wine tests of this build: FULL, SMOKE or NONE")
set_property(CACHE MIREL_WINE_SUITE PROPERTY STRINGS FULL SMOKE NONE)

# mirel_add_wine_test(<test name> <executable target> [arguments...])
# The screenshot taken when the run ends is saved as <build>/artifacts/<test name>.png.
function(mirel_add_wine_test name target)
  add_test(NAME ${name} COMMAND ${target} ${ARGN})
  set_tests_properties(${name} PROPERTIES LABELS wine TIMEOUT ${MIREL_WINE_CTEST_TIMEOUT}
                       ENVIRONMENT "MIREL_ARTIFACT_NAME=${name}")
  # Registered but not run, and CTest lists it as "Disabled": the other build runs it.
  if(MIREL_WINE_SUITE STREQUAL "NONE")
    set_tests_properties(${name} PROPERTIES DISABLED TRUE)
  endif()
endfunction()

# Every .exe of this build: hardening flags present, only system DLLs imported. Runs on the host
# (COMMAND is bash, not a target, so CTest does not start it through Wine).
if(MIREL_BUILD_TESTS)
  enable_testing()
  set(pe_check_args --wide-only $<TARGET_FILE:MirelVirtualDesktop>
      ${CMAKE_BINARY_DIR} $<TARGET_FILE:MirelVirtualDesktop>)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(pe_check_args --high-entropy-va ${pe_check_args})
  endif()
  add_test(NAME pe_imports_and_hardening
           COMMAND bash ${CMAKE_SOURCE_DIR}/tools/check-pe ${pe_check_args})
  set_tests_properties(pe_imports_and_hardening PROPERTIES LABELS host)
endif()

# Version resource header, portable zip and setup program.
include(${CMAKE_SOURCE_DIR}/cmake/Packaging.cmake)
