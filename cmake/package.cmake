# package.cmake -- Debian's hardening flags for the build, and the .deb that CPack makes from the install rules
#
# `make package` (or `cpack -G DEB` in a configured build tree) writes
# swayboard_<version>_<arch>.deb into the build tree.

# Debian builds every package with the flags dpkg-buildflags hands out: stack protector,
# fortified libc calls, format-string checks, read-only relocations bound at start-up.
# They go into the release build itself, so the binaries the suite tests are the ones
# that ship. The sanitizer and fuzz builds bring flags of their own and skip these.
# NOTE: a directory's CMAKE_<LANG>_FLAGS are read when it is generated, so appending
# here reaches every target, also those defined before this file was included.
option(SWAYBOARD_DEBIAN_FLAGS "Build with the flags of dpkg-buildflags (hardening=+all)" ON)
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(SWAYBOARD_DEBIAN_FLAGS AND DPKG_BUILDFLAGS AND NOT SWAYBOARD_SANITIZE AND NOT SWAYBOARD_FUZZ)
  foreach(kind CPPFLAGS CFLAGS CXXFLAGS LDFLAGS)
    # Run from the source tree: the flags map its path to "." in the debug information.
    execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
        ${DPKG_BUILDFLAGS} --get ${kind}
      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
      OUTPUT_VARIABLE debian_${kind} OUTPUT_STRIP_TRAILING_WHITESPACE)
  endforeach()
  # The build type's own -O3 comes later on the command line and wins over their -O2.
  # Their -g is left out: the package strips it anyway, and it would make the build
  # trees several times larger.
  foreach(kind CFLAGS CXXFLAGS)
    string(REGEX REPLACE "(^| )-g( |$)" " " debian_${kind} "${debian_${kind}}")
  endforeach()
  string(APPEND CMAKE_C_FLAGS " ${debian_CPPFLAGS} ${debian_CFLAGS}")
  string(APPEND CMAKE_CXX_FLAGS " ${debian_CPPFLAGS} ${debian_CXXFLAGS}")
  string(APPEND CMAKE_EXE_LINKER_FLAGS " ${debian_LDFLAGS}")
endif()

# The .deb. Its dependencies are what dpkg-shlibdeps reads off the binaries, plus the
# maintained SDL 1.2 on SDL 2 by name: the computed dependency is satisfied by the
# classic SDL 1.2 library too, which apt may pick, and only the maintained one reads
# the display hints the intro sets.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME swayboard)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Swayboard maintainers <maintainers@users.noreply.c-seed-eba84919.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "old-school audiovisual intro with its own tracker tune")
set(CPACK_PACKAGE_DESCRIPTION [=[
Swayboard is an intro in the old style: one self-contained program that fills
the screen, loops its own four-channel tracker tune and animates over a painted
background until a key is released. Two lilac checkerboards scroll upwards and
sway sideways at different depths, pages of text slide in from both sides, hold
and drop away, a chrome scroller runs along the bottom, and a small green
critter blinks and now and then jumps.

It starts from the desktop menu in full screen or in an 800x600 window. The
swayboard-capture command renders the show without a display to PNG frames,
or with ffmpeg to a video file with its music.]=])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsdl1.2-compat-shim")
# Only the recorder's video output needs it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ffmpeg")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Directories the package creates get the usual 0755 whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)

# The package built and checked from this very tree (skipped, with the reason, where
# a Debian tool is missing). The sanitizer build's binaries are not for shipping.
if(NOT SWAYBOARD_SANITIZE AND NOT SWAYBOARD_FUZZ)
  add_test(NAME package_deb
    COMMAND sh ${CMAKE_SOURCE_DIR}/tests/package/package_test.sh ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR}
      ${CMAKE_CPACK_COMMAND})
  set_tests_properties(package_deb PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600 LABELS "package;no-sanitize")
endif()
