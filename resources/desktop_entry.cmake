# Run at install time: the desktop entry's Exec names the program under the
# prefix given then (cmake --install --prefix, or a package's staging), not
# the one chosen when the build was configured. The argument is quoted and
# escaped as the entry format asks, the same way the per-user registration
# does it.
if(IS_ABSOLUTE "${PUZZLE_BINDIR}")
  set(program "${PUZZLE_BINDIR}/puzzle")
else()
  set(program "${CMAKE_INSTALL_PREFIX}/${PUZZLE_BINDIR}/puzzle")
endif()
string(REPLACE "\\" "\\\\\\\\" program "${program}")
string(REPLACE "\"" "\\\"" program "${program}")
string(REPLACE "`" "\\`" program "${program}")
string(REPLACE "$" "\\$" program "${program}")
string(REPLACE "%" "%%" program "${program}")
file(READ "${PUZZLE_DESKTOP_TEMPLATE}" entry)
string(REPLACE "@PROGRAM@" "\"${program}\"" entry "${entry}")
file(WRITE "${PUZZLE_DESKTOP_STAGING}/quorvane-puzzle.desktop" "${entry}")
if(IS_ABSOLUTE "${PUZZLE_DATADIR}")
  set(applications "${PUZZLE_DATADIR}/applications")
else()
  set(applications "${CMAKE_INSTALL_PREFIX}/${PUZZLE_DATADIR}/applications")
endif()
file(INSTALL DESTINATION "${applications}" TYPE FILE FILES "${PUZZLE_DESKTOP_STAGING}/quorvane-puzzle.desktop")
