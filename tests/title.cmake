korvandel_add_test(NAME tst_display SOURCES tst_display.cpp LIBS korvandel_controls LABELS title)
korvandel_add_test(NAME tst_supertimer SOURCES tst_supertimer.cpp LIBS korvandel_controls LABELS title)
