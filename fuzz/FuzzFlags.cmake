# Compiler flags of the fuzzing build, included by the top-level CMakeLists before any target is
# made: every library the targets link is instrumented for libFuzzer's coverage feedback and runs
# under AddressSanitizer and UndefinedBehaviorSanitizer, so a fault anywhere in the code under test
# stops the run with a report.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "MIREL_BUILD_FUZZ needs clang (libFuzzer): configure with "
                      "-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++")
endif()
if(WIN32)
  message(FATAL_ERROR "MIREL_BUILD_FUZZ is a host build")
endif()
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                    -fno-omit-frame-pointer -g -O1)
add_link_options(-fsanitize=address,undefined)
