# Writes the desktop entry as an install would and runs desktop-file-validate
# and appstreamcli on it and on the metainfo; any complaint fails.
set(SCRIVEL_DESKTOP_EXEC "/opt/scrivel/scrivel")
set(SCRIVEL_APP_ID "${APP_ID}")
set(desktop "${BINARY}/check/${APP_ID}.desktop")
configure_file("${SOURCE}/scrivel.desktop.in" "${desktop}" @ONLY)
foreach(check
    "${DESKTOP_FILE_VALIDATE};${desktop}"
    "${APPSTREAMCLI};validate;--no-net;--explain;${BINARY}/${APP_ID}.metainfo.xml")
  execute_process(COMMAND ${check} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  message("${out}${err}")
  if(NOT result EQUAL 0 OR (check MATCHES "desktop-file-validate" AND NOT "${out}${err}" STREQUAL ""))
    message(FATAL_ERROR "${check} failed")
  endif()
endforeach()
