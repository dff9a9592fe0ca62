# make_archive.cmake -- writes the archive's assembler blob and C++ table (run by the build)
#
# Inputs: DATA_DIR, OUT_DIR, FILES (the catalogue, in table order).

file(MAKE_DIRECTORY ${OUT_DIR})
set(blob "/* generated from resources/data: the archived files back to back, in table order */\n")
string(APPEND blob "    .section .rodata\n    .globl file_blob\n    .type file_blob, @object\nfile_blob:\n")
set(table "// generated from resources/data: the archive directory, in table order\n")
string(APPEND table "#include \"resources/store.h\"\n\nconst file_entry file_table[] = {\n")
set(total 0)
foreach(name IN LISTS FILES)
  set(path ${DATA_DIR}/${name})
  if(NOT EXISTS ${path})
    message(FATAL_ERROR "resources/data/${name} is missing: the archive needs every catalogued file")
  endif()
  file(SIZE ${path} size)
  math(EXPR total "${total} + ${size}")
  string(APPEND blob "    .incbin \"${path}\"\n")
  string(APPEND table "    {${size}u, \"${name}\"},\n")
endforeach()
string(APPEND blob "    .size file_blob, ${total}\n")
# A trailing byte nobody reads keeps the symbol valid even if every file were empty.
string(APPEND blob "    .byte 0\n    .section .note.GNU-stack,\"\",@progbits\n")
string(APPEND table "    {0u, nullptr},\n};\n")

file(WRITE ${OUT_DIR}/file_blob.S "${blob}")
file(WRITE ${OUT_DIR}/file_table.cpp "${table}")
