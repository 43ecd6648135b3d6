# The installation and the Debian package, made and checked as a user would (needs
# desktop-file-utils, dpkg-dev and lintian; see scripts/packages-install.txt). Both need the
# whole build, and they take turns: packing writes into the build tree that the other installs
# from.
foreach(mode install package)
    add_test(NAME install_${mode}
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/install/check-install.sh ${mode} ${CMAKE_BINARY_DIR})
    set_tests_properties(install_${mode} PROPERTIES LABELS install TIMEOUT 600
        RESOURCE_LOCK build_tree)
endforeach()

korvandel_add_test(NAME tst_commandline SOURCES tst_commandline.cpp LABELS install)
target_compile_definitions(tst_commandline PRIVATE KORVANDEL_BINARY="$<TARGET_FILE:korvandel>")
add_dependencies(tst_commandline korvandel)

korvandel_add_test(NAME tst_firststart SOURCES tst_firststart.cpp LIBS korvandel_app LABELS install)
