# Main window, navigator, status bar and the data-aware controls.
korvandel_add_test(NAME tst_navigator SOURCES tst_navigator.cpp LIBS korvandel_controls LABELS main)
korvandel_add_test(NAME tst_dbcontrols SOURCES tst_dbcontrols.cpp LIBS korvandel_controls LABELS main)
korvandel_add_test(NAME tst_mainwindow SOURCES tst_mainwindow.cpp LIBS korvandel_app LABELS main)

# The editor in a real X session, driven with xdotool (needs xvfb, xdotool, imagemagick,
# sqlite3; see scripts/packages-main.txt).
add_test(NAME e2e_main COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e-main.sh
    $<TARGET_FILE:korvandel> $<TARGET_FILE:korvandel-catalogue>)
set_tests_properties(e2e_main PROPERTIES LABELS "e2e" TIMEOUT 180 RUN_SERIAL TRUE)
