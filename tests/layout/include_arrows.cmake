# include_arrows.cmake -- fails when an include reaches up a floor: the folders' arrows point one way
#
# usage: cmake -DSOURCE_DIR=<tree> -P include_arrows.cmake
#
# Each rule names the folders whose files are checked and the folders they may not include
# from. Includes are read as text, "..." and <...> alike, with any leading ./ or ../ taken
# off, so "../app/display.h" counts as app/display.h.
if(NOT IS_DIRECTORY "${SOURCE_DIR}")
  message(FATAL_ERROR "SOURCE_DIR '${SOURCE_DIR}' is not a directory")
endif()

set(rule_names bottom lower products)
# common/ is under everything: it knows nothing of the show.
set(bottom_from common)
set(bottom_forbidden app effects music resources platform recorder tools web)
# The intro's lower floors know nothing of its shell, of the recorder or of the tools.
set(lower_from effects music resources platform)
set(lower_forbidden app recorder tools web)
# The programs users run never reach into the data tools.
set(products_from app recorder web)
set(products_forbidden tools)

set(checked 0)
set(violations "")
foreach(rule IN LISTS rule_names)
  foreach(folder IN LISTS ${rule}_from)
    file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}"
      "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.hpp" "${SOURCE_DIR}/${folder}/*.c"
      "${SOURCE_DIR}/${folder}/*.cc" "${SOURCE_DIR}/${folder}/*.cpp")
    foreach(source IN LISTS sources)
      math(EXPR checked "${checked} + 1")
      file(STRINGS "${SOURCE_DIR}/${source}" lines REGEX "^[ \t]*#[ \t]*include")
      foreach(line IN LISTS lines)
        if(NOT line MATCHES "#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"]")
          continue()
        endif()
        set(included "${CMAKE_MATCH_1}")
        string(REGEX REPLACE "^((\\.\\.?)/)+" "" included "${included}")
        foreach(above IN LISTS ${rule}_forbidden)
          if(included MATCHES "^${above}/")
            list(APPEND violations "${source} includes ${included}: ${folder}/ may not include from ${above}/")
          endif()
        endforeach()
      endforeach()
    endforeach()
  endforeach()
endforeach()

# A tree with none of these folders would pass without looking at anything.
if(checked EQUAL 0)
  message(FATAL_ERROR "no source files found under ${SOURCE_DIR}")
endif()
if(violations)
  list(LENGTH violations count)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "${count} include(s) against the arrows, in ${checked} files:\n  ${text}")
endif()
message(STATUS "${checked} files, every include pointing down or across")
