# Two editors on one PostgreSQL catalogue in a real X session, driven with xdotool (needs
# xvfb, xdotool, xclip, imagemagick, postgresql-client; see scripts/packages-*.txt). It reads
# the server from the KORVANDEL_PG_* variables (scripts/test.sh starts one) and is skipped
# without them. Serial: it empties and refills the server's Equipment table.
add_test(NAME e2e_postgres COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e-postgres.sh
    $<TARGET_FILE:korvandel> $<TARGET_FILE:korvandel-catalogue>)
set_tests_properties(e2e_postgres PROPERTIES LABELS "e2e" TIMEOUT 180 RUN_SERIAL TRUE
    SKIP_RETURN_CODE 77)
