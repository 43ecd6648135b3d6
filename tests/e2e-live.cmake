# Editors showing other programs' writes within a second, in a real X session driven with
# xdotool (needs xvfb, xdotool, xclip, imagemagick, sqlite3, postgresql-client; see
# scripts/packages-*.txt). The PostgreSQL half runs when the KORVANDEL_PG_* variables name
# a server (scripts/test.sh starts one). Serial: it empties and refills the server's
# Equipment table.
add_test(NAME e2e_live COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e-live.sh
    $<TARGET_FILE:korvandel> $<TARGET_FILE:korvandel-catalogue>)
set_tests_properties(e2e_live PROPERTIES LABELS "e2e" TIMEOUT 180 RUN_SERIAL TRUE)
