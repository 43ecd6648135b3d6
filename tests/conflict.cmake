# A conflict at Post in a real X session, driven with xdotool (needs xvfb, xdotool,
# imagemagick, sqlite3; see scripts/packages-main.txt).
add_test(NAME e2e_conflict COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e-conflict.sh
    $<TARGET_FILE:korvandel> $<TARGET_FILE:korvandel-catalogue>)
set_tests_properties(e2e_conflict PROPERTIES LABELS "e2e" TIMEOUT 180 RUN_SERIAL TRUE)
