# Build flags and the layer libraries.
#
# Every target of the project links braceform_flags: the warnings, and the sanitizer or
# fuzzer instrumentation of the build, without touching anything outside the project.
add_library(braceform_flags INTERFACE)
# GCC 12 warns of overlapping copies in `"literal" + std::string` at -O3 (its bug 105651).
target_compile_options(braceform_flags INTERFACE -Wall -Wextra -Wpedantic
                       $<$<CXX_COMPILER_ID:GNU>:-Wno-restrict>
                       $<$<BOOL:${BRACEFORM_WERROR}>:-Werror>)
if(BRACEFORM_SANITIZE)
  target_compile_options(braceform_flags INTERFACE -fsanitize=address,undefined
                         -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(braceform_flags INTERFACE -fsanitize=address,undefined)
endif()
if(BRACEFORM_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "BRACEFORM_FUZZ needs clang")
  endif()
  target_compile_options(braceform_flags INTERFACE -fsanitize=fuzzer-no-link,address,undefined
                         -fno-omit-frame-pointer)
  target_link_options(braceform_flags INTERFACE -fsanitize=address,undefined)
endif()

# braceform_layer(NAME SOURCES ... [PUBLIC targets...] [PRIVATE targets...])
#
# One static library per layer of src/. Its include root holds only the layer's own folder
# (a link in the build tree), so `#include "tree/..."` compiles only in a layer that links
# the tree layer, and a layer without Qt among its links has no Qt headers to include.
function(braceform_layer name)
  cmake_parse_arguments(L "" "" "SOURCES;PUBLIC;PRIVATE" ${ARGN})
  set(root ${PROJECT_BINARY_DIR}/layers/${name})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${name} SYMBOLIC)
  add_library(braceform_${name} STATIC ${L_SOURCES})
  target_include_directories(braceform_${name} PUBLIC ${root})
  target_link_libraries(braceform_${name} PUBLIC ${L_PUBLIC} PRIVATE braceform_flags ${L_PRIVATE})
endfunction()
