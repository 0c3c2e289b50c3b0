# Installs the build into a staging folder under prefixes other than the
# configured one and reads the Exec line of each installed desktop entry:
# the program is named under that prefix, quoted, with the characters the
# entry format reserves escaped.
set(cases
  "/opt/elsewhere|Exec=\"/opt/elsewhere/bin/puzzle\" %f"
  "/opt/odd place 100%|Exec=\"/opt/odd place 100%%/bin/puzzle\" %f")
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 prefix)
  list(GET fields 1 expected)
  file(REMOVE_RECURSE "${STAGE}")
  execute_process(COMMAND ${CMAKE_COMMAND} -E env "DESTDIR=${STAGE}"
    ${CMAKE_COMMAND} --install "${BUILD}" --prefix "${prefix}"
    OUTPUT_QUIET RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "install under ${prefix} failed")
  endif()
  file(STRINGS "${STAGE}${prefix}/share/applications/quorvane-puzzle.desktop" exec REGEX "^Exec=")
  if(NOT exec STREQUAL expected)
    message(FATAL_ERROR "under ${prefix}: got '${exec}', expected '${expected}'")
  endif()
endforeach()
file(REMOVE_RECURSE "${STAGE}")
