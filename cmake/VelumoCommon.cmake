# Flags and helpers shared by every target of the project.

add_compile_options(-Wall -Wextra)

if(VELUMO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Fuzzing is only as good as its coverage feedback: instrument every target,
# not just the fuzz entry points.
if(VELUMO_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

set(CMAKE_AUTOMOC ON)

# velumo_add_library(NAME DIR... ) : a shared library built from every source
# below the given folders, so adding a file needs no edit here.
function(velumo_glob_sources out)
  set(result)
  foreach(dir IN LISTS ARGN)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS
      ${dir}/*.cpp ${dir}/*.h ${dir}/*.c)
    list(APPEND result ${found})
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# Shared libraries find their siblings next to themselves.
function(velumo_shared_library_rpath target)
  set_target_properties(${target} PROPERTIES
    BUILD_WITH_INSTALL_RPATH ON
    INSTALL_RPATH "$ORIGIN"
    CXX_VISIBILITY_PRESET default)
  install(TARGETS ${target} LIBRARY DESTINATION lib)
  velumo_autogen_follow_sources(${target})
endfunction()

# The code generator for Qt's meta-objects only re-runs when a file it
# already knew changes, so a newly globbed header would go unseen in an
# existing build tree. When a target's source list changes, drop the
# generator's time stamp so that it runs again.
function(velumo_autogen_follow_sources target)
  get_target_property(sources ${target} SOURCES)
  string(SHA1 digest "${sources}")
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/timestamp)
  if(DEFINED VELUMO_SOURCES_DIGEST_${target} AND NOT VELUMO_SOURCES_DIGEST_${target} STREQUAL digest)
    file(REMOVE ${stamp})
  endif()
  set(VELUMO_SOURCES_DIGEST_${target} ${digest} CACHE INTERNAL "")
endfunction()

# Start-up spends much of its loading time on relocations. Relative ones
# packed into a bitmap take a fraction of the pages to read, and a file
# that calls its own functions directly, not through the symbol table,
# gives the loader fewer names to look up.
include(CheckLinkerFlag)
check_linker_flag(CXX "LINKER:-z,pack-relative-relocs" VELUMO_LINKER_PACKS_RELOCATIONS)
add_link_options("LINKER:-O1")
if(VELUMO_LINKER_PACKS_RELOCATIONS)
  add_link_options("LINKER:-z,pack-relative-relocs")
endif()
# Only functions: data (the singletons' instances) is still looked up, so
# it stays one per process.
string(APPEND CMAKE_SHARED_LINKER_FLAGS " -Wl,-Bsymbolic-functions")
string(APPEND CMAKE_MODULE_LINKER_FLAGS " -Wl,-Bsymbolic-functions")
