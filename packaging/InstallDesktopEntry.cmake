# Installs the menu entry, run by "cmake --install" and CPack: the entry names the editor by
# the absolute path it is installed at, so that the menu finds it even where the program's
# folder is not on PATH (~/.local/bin before the next login). Expects
#   KORVANDEL_DESKTOP_TEMPLATE  the entry with @KORVANDEL_TRY_EXEC@ and @KORVANDEL_EXEC_PROGRAM@
#   KORVANDEL_DESKTOP_WORK      a scratch file in the build tree
#   KORVANDEL_BINDIR, KORVANDEL_DATADIR  below the prefix (relative, or absolute)
# CMAKE_INSTALL_PREFIX is the prefix of this installation, not the configured one.
foreach(dir BINDIR DATADIR)
    if(IS_ABSOLUTE "${KORVANDEL_${dir}}")
        set(${dir} "${KORVANDEL_${dir}}")
    else()
        set(${dir} "${CMAKE_INSTALL_PREFIX}/${KORVANDEL_${dir}}")
    endif()
endforeach()
set(program "${BINDIR}/korvandel")

# TryExec is a plain string value, where only the backslash is escaped.
string(REPLACE "\\" "\\\\" KORVANDEL_TRY_EXEC "${program}")
# In Exec the program is one quoted argument: inside the quotes ", `, $ and \ take a
# backslash, and the value as a whole doubles every backslash; a % is doubled as a field code.
string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" quoted "${program}")
string(REPLACE "\\" "\\\\" quoted "${quoted}")
string(REPLACE "%" "%%" quoted "${quoted}")
set(KORVANDEL_EXEC_PROGRAM "\"${quoted}\"")

configure_file("${KORVANDEL_DESKTOP_TEMPLATE}" "${KORVANDEL_DESKTOP_WORK}" @ONLY)
file(INSTALL "${KORVANDEL_DESKTOP_WORK}" DESTINATION "${DATADIR}/applications"
    RENAME korvandel.desktop)
