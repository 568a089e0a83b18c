# Installs the build into a scratch prefix and checks the result:
#   cmake -DBUILD_DIR=... -DPREFIX=... -DEXPECTED=a;b;... [-DDESKTOP_FILE_VALIDATE=...]
#         [-DAPPSTREAMCLI=...] -P install_check.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${err}")
endif()

set(missing "")
foreach(file IN LISTS EXPECTED)
  if(NOT EXISTS ${PREFIX}/${file})
    list(APPEND missing ${file})
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "not installed: ${missing}")
endif()
foreach(program bin/marvane-start share/marvane/start.sh)
  execute_process(COMMAND test -x ${PREFIX}/${program} RESULT_VARIABLE not_executable)
  if(NOT not_executable EQUAL 0)
    message(FATAL_ERROR "${program} is not executable")
  endif()
endforeach()

if(DESKTOP_FILE_VALIDATE)
  execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} ${PREFIX}/share/applications/marvane.desktop
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0 OR out MATCHES "error|warning")
    message(FATAL_ERROR "the installed desktop entry is not valid: ${out}")
  endif()
endif()

# The AppStream metadata, with the desktop entry and icon it points to.
if(APPSTREAMCLI)
  execute_process(COMMAND ${APPSTREAMCLI} validate-tree --no-net ${PREFIX}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "appstreamcli validate-tree: ${out}")
  endif()
endif()

# The desktop entry runs bin/marvane-start. Without a display it must still prepare the
# start folder from the installed files, keeping what the user has there (here a help text
# of their own), then refuse with its message.
set(home ${PREFIX}/home)
file(WRITE ${home}/Marvane/HelpTxt.txt "my own notes")
execute_process(COMMAND env -i HOME=${home} PATH=/usr/bin:/bin ${PREFIX}/bin/marvane-start
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(status EQUAL 0 OR NOT err MATCHES "no display")
  message(FATAL_ERROR "marvane-start without a display: status ${status}, said: ${err}")
endif()
file(READ ${home}/Marvane/HelpTxt.txt kept)
if(NOT kept STREQUAL "my own notes")
  message(FATAL_ERROR "marvane-start replaced the user's own HelpTxt.txt")
endif()
foreach(file Tiles/Basic.bmp TileGrid.bmp)
  if(NOT EXISTS ${PREFIX}/share/marvane/${file})
    continue()
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${home}/Marvane/${file}
                          ${PREFIX}/share/marvane/${file} RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    message(FATAL_ERROR "marvane-start did not give the start folder the installed ${file}")
  endif()
endforeach()
file(REMOVE_RECURSE ${PREFIX})
