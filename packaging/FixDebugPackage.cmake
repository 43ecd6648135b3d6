# Run by cpack after it has packed (CPACK_POST_BUILD_SCRIPTS). CMake 3.25 writes the debug
# package's md5sums with the absolute paths of its staging folder, which dpkg cannot check
# and which differ with every output folder: the package is packed again with the paths
# below the root, every entry dated SOURCE_DATE_EPOCH and owned by root, and the debug
# files not marked executable.
foreach(package ${CPACK_PACKAGE_FILES})
    if(NOT package MATCHES "\\.ddeb$")
        continue()
    endif()
    set(work "${CPACK_TOPLEVEL_DIRECTORY}/debug-package")
    file(REMOVE_RECURSE "${work}")
    execute_process(COMMAND dpkg-deb -R "${package}" "${work}" COMMAND_ERROR_IS_FATAL ANY)
    file(READ "${work}/DEBIAN/md5sums" sums)
    string(REGEX REPLACE "  [^\n]*/_CPack_Packages/[^/\n]+/DEB/[^/\n]+/" "  " sums "${sums}")
    file(WRITE "${work}/DEBIAN/md5sums" "${sums}")
    # Debug files are data, not programs.
    execute_process(COMMAND find "${work}/usr" -type f -exec chmod 0644 {} +
        COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND find "${work}" -exec touch -h -d "@$ENV{SOURCE_DATE_EPOCH}" {} +
        COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND dpkg-deb --root-owner-group -Zxz -b "${work}" "${package}"
        OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE "${work}")
endforeach()
