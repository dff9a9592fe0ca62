# archive.cmake -- compiles resources/data/ into the executable as file_table and file_blob
#
# The blob is assembled with .incbin, so the multi-megabyte data never passes
# through the C++ compiler; the table is a small generated source with each
# file's name and size. Both are remade whenever a data file changes.
#
# swayboard_add_archive(<target> <file>...) makes a static library holding an
# archive of the named files of resources/data/, in the order given. The intro
# links `swayboard_archive`, the full catalogue; tests may build archives that
# lack a file to see how the intro copes.

set(SWAYBOARD_ARCHIVE_FILES
  bub.bmp font.bmp minifontti.bmp ristikko.bmp ruudut_alpha.bmp ruudut_layer.bmp
  tausta.bmp ormivaara.xm text1.txt text2.txt)
set(SWAYBOARD_DATA_DIR ${CMAKE_SOURCE_DIR}/resources/data)

foreach(name IN LISTS SWAYBOARD_ARCHIVE_FILES)
  if(NOT EXISTS ${SWAYBOARD_DATA_DIR}/${name})
    message(FATAL_ERROR "resources/data/${name} is missing: the archive needs every catalogued file")
  endif()
endforeach()

if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  set(SWAYBOARD_OBJECT_FORMAT PE)
elseif(CMAKE_SYSTEM_NAME STREQUAL "Emscripten")
  set(SWAYBOARD_OBJECT_FORMAT WASM)
else()
  set(SWAYBOARD_OBJECT_FORMAT ELF)
endif()

function(swayboard_add_archive target)
  set(files ${ARGN})
  set(inputs "")
  foreach(name IN LISTS files)
    list(APPEND inputs ${SWAYBOARD_DATA_DIR}/${name})
  endforeach()
  set(out ${CMAKE_BINARY_DIR}/generated/${target})
  # Runs on every build: it checks that every file is there (with a clear message if
  # not) and rewrites the sources only when a file's size or content has changed.
  add_custom_target(${target}_sources
    COMMAND ${CMAKE_COMMAND}
      -DDATA_DIR=${SWAYBOARD_DATA_DIR}
      -DOUT_DIR=${out}
      -DOBJECT_FORMAT=${SWAYBOARD_OBJECT_FORMAT}
      "-DFILES=${files}"
      -P ${CMAKE_SOURCE_DIR}/cmake/make_archive.cmake
    BYPRODUCTS ${out}/file_blob.S ${out}/file_table.cpp
    COMMENT "Checking the embedded archive ${target} against resources/data"
    VERBATIM)
  add_library(${target} STATIC ${out}/file_blob.S ${out}/file_table.cpp)
  add_dependencies(${target} ${target}_sources)
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
endfunction()

swayboard_add_archive(swayboard_archive ${SWAYBOARD_ARCHIVE_FILES})
