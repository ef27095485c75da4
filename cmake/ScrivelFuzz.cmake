# libFuzzer targets (SCRIVEL_FUZZ, clang). A target compiles the code it reads
# with coverage and the sanitizers, so nothing else of the tree changes. Each
# one gets a ctest (label `fuzz`) that runs it for SCRIVEL_FUZZ_SECONDS from
# its seed corpus in git, tests/<component>/fuzz/corpus/<name>; new inputs go
# to a folder in the build tree, never into the seeds. `fuzzers` builds them all.
set(SCRIVEL_FUZZ_SECONDS 20 CACHE STRING "How long each fuzz target runs under ctest")
set(SCRIVEL_FUZZ_FLAGS -fsanitize=fuzzer-no-link,address,undefined
    -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
set(SCRIVEL_FUZZ_LINK_FLAGS -fsanitize=fuzzer,address,undefined)
add_custom_target(fuzzers)

# scrivel_add_fuzzer(NAME name SOURCES ... [LIBS ...] [MAX_LEN bytes])
function(scrivel_add_fuzzer)
  cmake_parse_arguments(F "" "NAME;MAX_LEN" "SOURCES;LIBS" ${ARGN})
  if(NOT F_MAX_LEN)
    set(F_MAX_LEN 4096)
  endif()
  add_executable(${F_NAME} ${F_SOURCES})
  target_compile_options(${F_NAME} PRIVATE ${SCRIVEL_FUZZ_FLAGS})
  target_link_options(${F_NAME} PRIVATE ${SCRIVEL_FUZZ_LINK_FLAGS})
  target_link_libraries(${F_NAME} PRIVATE scrivel_defaults ${F_LIBS})
  set_target_properties(${F_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  add_dependencies(fuzzers ${F_NAME})

  set(seeds ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${F_NAME})
  set(work ${CMAKE_BINARY_DIR}/fuzz/${F_NAME}-corpus)
  file(MAKE_DIRECTORY ${work})
  add_test(NAME ${F_NAME}_run
           COMMAND ${F_NAME} -max_total_time=${SCRIVEL_FUZZ_SECONDS} -max_len=${F_MAX_LEN}
                   -print_final_stats=1 ${work} ${seeds}
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  set_tests_properties(${F_NAME}_run PROPERTIES LABELS fuzz TIMEOUT 600)
endfunction()

# A copy of a static library of ours built for fuzzing: `<target>_fuzz`, same
# sources and link interface, compiled with the fuzzing flags.
function(scrivel_fuzz_copy target)
  get_target_property(sources ${target} SOURCES)
  get_target_property(dir ${target} SOURCE_DIR)
  get_target_property(libs ${target} LINK_LIBRARIES)
  list(TRANSFORM sources PREPEND ${dir}/)
  add_library(${target}_fuzz STATIC ${sources})
  target_compile_options(${target}_fuzz PRIVATE ${SCRIVEL_FUZZ_FLAGS})
  target_link_libraries(${target}_fuzz PUBLIC ${libs})
endfunction()
