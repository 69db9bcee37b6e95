# Compiler settings shared by every target of the project.
#
# The numerics round to single precision at chosen points and depend on
# every double operation being rounded as written, so floating-point
# contraction (fused multiply-add) is switched off and no fast-math is used.

add_library(tavrix_options INTERFACE)
target_compile_options(tavrix_options INTERFACE
  -Wall -Wextra -Wpedantic
  -ffp-contract=off
  -fno-fast-math)

if(TAVRIX_WERROR)
  target_compile_options(tavrix_options INTERFACE -Werror)
endif()

if(TAVRIX_SANITIZE)
  target_compile_options(tavrix_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(tavrix_options INTERFACE -fsanitize=address,undefined)
endif()

if(TAVRIX_FUZZ)
  target_compile_options(tavrix_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(tavrix_options INTERFACE -fsanitize=address,undefined)
endif()

# tavrix_library(NAME SOURCES... [DEPENDS targets...])
# One library per folder; its public headers live in <folder>/include.
function(tavrix_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  # Position-independent, so that the Python module links them too.
  set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  target_include_directories(${name} PUBLIC "${CMAKE_CURRENT_SOURCE_DIR}/include")
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS} PRIVATE tavrix_options)
endfunction()

# The program's version, one header for every target: tavrix/version.h.
configure_file("${CMAKE_CURRENT_LIST_DIR}/version.h.in"
  "${PROJECT_BINARY_DIR}/generated/tavrix/version.h" @ONLY)
target_include_directories(tavrix_options INTERFACE "${PROJECT_BINARY_DIR}/generated")
