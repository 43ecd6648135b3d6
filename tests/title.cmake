korvandel_add_test(NAME tst_display SOURCES tst_display.cpp LIBS korvandel_controls LABELS title)
korvandel_add_test(NAME tst_supertimer SOURCES tst_supertimer.cpp LIBS korvandel_controls LABELS title)
if(KORVANDEL_TSAN)
    set_property(TEST tst_supertimer APPEND PROPERTY ENVIRONMENT
        "TSAN_OPTIONS=halt_on_error=1 exitcode=66 suppressions=${CMAKE_CURRENT_SOURCE_DIR}/tsan-title.supp")
endif()
korvandel_add_test(NAME tst_colorbutton SOURCES tst_colorbutton.cpp LIBS korvandel_controls LABELS title)
korvandel_add_test(NAME tst_systeminfo SOURCES tst_systeminfo.cpp LIBS korvandel_platform LABELS title)
korvandel_add_test(NAME tst_titledialogs SOURCES tst_titledialogs.cpp LIBS korvandel_dialogs LABELS title)
# The system information at a display scale of 1.5: the resolution in device pixels.
add_test(NAME tst_titledialogs_scaled COMMAND tst_titledialogs sysInfoRows)
set_tests_properties(tst_titledialogs_scaled PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_LOGGING_RULES=qt.qpa.*=false;QT_SCALE_FACTOR=1.5"
    LABELS title)
