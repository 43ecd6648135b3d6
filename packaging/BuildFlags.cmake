# Debian's hardening flags for every build that is not a sanitizer build, as dpkg-buildflags
# gives them with every hardening feature on: the stack protector, _FORTIFY_SOURCE (only
# where the build type optimises, which it needs), format checks, and relro with immediate
# binding (-z now). The packaged programs pass hardening-check. The optimisation level and
# debug information stay the build type's.
option(KORVANDEL_HARDENING "Build with Debian's hardening flags (dpkg-buildflags)" ON)
find_program(KORVANDEL_DPKG_BUILDFLAGS dpkg-buildflags)
if(KORVANDEL_HARDENING AND KORVANDEL_DPKG_BUILDFLAGS AND NOT KORVANDEL_SANITIZE
        AND NOT KORVANDEL_TSAN)
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
        execute_process(
            COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                ${KORVANDEL_DPKG_BUILDFLAGS} --get ${kind}
            OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
        separate_arguments(flags UNIX_COMMAND "${flags}")
        list(FILTER flags EXCLUDE REGEX "^-(g|O.?|ffile-prefix-map=.*)$")
        set(KORVANDEL_DEB_${kind} ${flags})
    endforeach()
    foreach(flag ${KORVANDEL_DEB_CPPFLAGS} ${KORVANDEL_DEB_CXXFLAGS})
        if(flag MATCHES "^-D_FORTIFY_SOURCE")
            add_compile_options($<$<NOT:$<CONFIG:Debug>>:${flag}>)
        else()
            add_compile_options(${flag})
        endif()
    endforeach()
    add_link_options(${KORVANDEL_DEB_LDFLAGS})
endif()
