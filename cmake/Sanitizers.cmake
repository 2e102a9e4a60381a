# Sanitizers of the native builds and the libFuzzer targets.
#
# Every sanitizer report ends the run with an error: a report that only
# prints lets a test or a fuzz run pass with undefined behaviour in it.

# Checks silenced for code that is not ours; see the file for why.
set(ZELK_UBSAN_IGNORELIST "${CMAKE_CURRENT_LIST_DIR}/ubsan-ignorelist.txt")

if(NOT WIN32)
  set(ZELK_SANITIZE "" CACHE STRING "sanitizers for the native build, e.g. address,undefined")
  if(ZELK_SANITIZE)
    add_compile_options(-fsanitize=${ZELK_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${ZELK_SANITIZE})
    # GCC has no ignore list, and its pointer-overflow check does not see
    # what the list silences; Clang needs it.
    if(ZELK_SANITIZE MATCHES "undefined" AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
      add_compile_options(-fsanitize-ignorelist=${ZELK_UBSAN_IGNORELIST})
    endif()
  endif()
  find_program(ZELK_CLANGXX NAMES clang++-14 clang++)
endif()

# zelk_add_fuzz_target(<program> <build target> SOURCES ... HEADERS ... OPTIONS ...)
# Builds a libFuzzer program in the native build, except under
# ThreadSanitizer.  libFuzzer needs Clang and the native build may use
# another compiler, so Clang is called directly; HEADERS are the headers the
# sources include, so that changing one rebuilds the program.  scripts/fuzz
# runs the programs.
function(zelk_add_fuzz_target program build_target)
  cmake_parse_arguments(ARG "" "" "SOURCES;HEADERS;OPTIONS" ${ARGN})
  if(WIN32 OR NOT ZELK_CLANGXX OR ZELK_SANITIZE MATCHES "thread")
    return()
  endif()
  add_custom_command(OUTPUT ${program}
    COMMAND ${ZELK_CLANGXX} -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
            -fsanitize-ignorelist=${ZELK_UBSAN_IGNORELIST} ${ARG_OPTIONS} ${ARG_SOURCES} -o ${program}
    DEPENDS ${ARG_SOURCES} ${ARG_HEADERS} ${ZELK_UBSAN_IGNORELIST}
    COMMENT "Building the fuzz target ${program} with Clang")
  add_custom_target(${build_target} ALL DEPENDS ${program})
endfunction()
