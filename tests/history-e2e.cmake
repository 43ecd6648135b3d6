# A row's history in a real X session, driven with xdotool (needs xvfb, xdotool, xclip,
# imagemagick, sqlite3; see scripts/packages-e2e.txt).
add_test(NAME e2e_history COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e-history.sh
    $<TARGET_FILE:korvandel> $<TARGET_FILE:korvandel-catalogue>)
set_tests_properties(e2e_history PROPERTIES LABELS "e2e" TIMEOUT 180 RUN_SERIAL TRUE)
