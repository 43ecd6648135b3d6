korvandel_add_test(NAME tst_display SOURCES tst_display.cpp LIBS korvandel_controls LABELS title)
korvandel_add_test(NAME tst_supertimer SOURCES tst_supertimer.cpp LIBS korvandel_controls LABELS title)
if(KORVANDEL_TSAN)
    set_property(TEST tst_supertimer APPEND PROPERTY ENVIRONMENT
        "TSAN_OPTIONS=halt_on_error=1 exitcode=66 suppressions=${CMAKE_CURRENT_SOURCE_DIR}/tsan-title.supp")
endif()
korvandel_add_test(NAME tst_colorbutton SOURCES tst_colorbutton.cpp LIBS korvandel_controls LABELS title)
korvandel_add_test(NAME tst_systeminfo SOURCES tst_systeminfo.cpp LIBS korvandel_platform LABELS title)
korvandel_add_test(NAME tst_titledialogs SOURCES tst_titledialogs.cpp LIBS korvandel_dialogs LABELS title)
