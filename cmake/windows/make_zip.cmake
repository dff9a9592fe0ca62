# make_zip.cmake -- packs the Windows programs, SDL.dll, the README, the window shortcut and the licences into one zip
#
# cmake -DSOURCE_DIR=.. -DDEPS_DIR=.. -DSTAGE_DIR=.. -DNAME=.. -DVERSION=.. -DPROGRAMS=a.exe;b.exe;SDL.dll
#       -DSTRIP=x86_64-w64-mingw32-strip -DZIP=out.zip -P make_zip.cmake
# The zip holds one folder, NAME. Text files get Windows line ends; every entry gets the
# same time stamp, so the same inputs give the same zip.
set(folder ${STAGE_DIR}/${NAME})
file(REMOVE_RECURSE ${STAGE_DIR})
file(MAKE_DIRECTORY ${folder}/licences)

file(COPY ${PROGRAMS} DESTINATION ${folder})
# The programs are linked without symbols; SDL.dll's would more than double its size.
execute_process(COMMAND ${STRIP} --strip-unneeded ${folder}/SDL.dll RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not strip SDL.dll")
endif()

# The Debian source package each library was built from: its changelog's first line.
function(built_from package out)
  file(STRINGS ${DEPS_DIR}/src/${package}/debian/changelog first LIMIT_COUNT 1)
  string(REGEX REPLACE "^[^ ]+ \\(([^)]+)\\).*" "\\1" version "${first}")
  set(${out} "${package} ${version}" PARENT_SCOPE)
endfunction()
built_from(libsdl1.2 SDL_SOURCE)
built_from(libopenmpt OPENMPT_SOURCE)
built_from(libpng1.6 PNG_SOURCE)
string(REGEX REPLACE "^[^ ]+ " "" SDL_VERSION "${SDL_SOURCE}")

# text_file(FROM TO [CONFIGURE]): copied with CR LF line ends; with CONFIGURE, @VARIABLES@ filled in.
function(text_file from to)
  file(READ ${from} text)
  if(ARGN)
    string(CONFIGURE "${text}" text @ONLY)
  endif()
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${to} "${text}")
endfunction()

text_file(${SOURCE_DIR}/packaging/windows/README.txt ${folder}/README.txt CONFIGURE)
file(WRITE ${folder}/swayboard-window.cmd "@start \"\" \"%~dp0swayboard.exe\" window\r\n")
text_file(${SOURCE_DIR}/packaging/copyright ${folder}/LICENSE.txt)
text_file(${DEPS_DIR}/src/libsdl1.2/COPYING ${folder}/licences/SDL-1.2-LGPL-2.1.txt)
text_file(${DEPS_DIR}/src/libopenmpt/LICENSE ${folder}/licences/libopenmpt.txt)
text_file(${DEPS_DIR}/src/libpng1.6/LICENSE ${folder}/licences/libpng.txt)
text_file(/usr/share/doc/libz-mingw-w64-dev/copyright ${folder}/licences/zlib.txt)
text_file(/usr/share/doc/mingw-w64-common/copyright ${folder}/licences/mingw-w64-runtime.txt)
file(WRITE ${folder}/licences/SOURCES.txt
  "Where the source of each library in this folder comes from\r\n\r\n"
  "SDL.dll is SDL ${SDL_VERSION}, built unmodified for Windows from Debian's source package\r\n"
  "${SDL_SOURCE} (Debian's patches applied). Its source, under the GNU LGPL 2.1\r\n"
  "(SDL-1.2-LGPL-2.1.txt), is in Debian's archive: `apt-get source libsdl1.2` on a Debian\r\n"
  "system, or https://sources.debian.org/src/libsdl1.2/${SDL_VERSION}/ . You may replace\r\n"
  "SDL.dll with any other build of SDL 1.2 for 64-bit Windows.\r\n\r\n"
  "Linked into the programs:\r\n"
  "- libopenmpt, from ${OPENMPT_SOURCE} (BSD licence, libopenmpt.txt), without optional codecs;\r\n"
  "- libpng, from ${PNG_SOURCE} (libpng licence, libpng.txt), in swayboard-capture.exe only;\r\n"
  "- zlib, from Debian's libz-mingw-w64-dev (zlib licence, zlib.txt), in swayboard-capture.exe only;\r\n"
  "- the C and C++ runtime and the threads library of Debian's mingw-w64 and GCC\r\n"
  "  (mingw-w64-runtime.txt; GCC's runtime library exception covers libgcc and libstdc++).\r\n")

file(GLOB_RECURSE entries RELATIVE ${STAGE_DIR} ${folder}/*)
list(SORT entries)
file(REMOVE ${ZIP})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip "--mtime=2026-01-01 00:00:00 UTC" -- ${entries}
  WORKING_DIRECTORY ${STAGE_DIR}
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not write ${ZIP}")
endif()
