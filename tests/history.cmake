korvandel_add_test(NAME tst_history SOURCES tst_history.cpp LIBS korvandel_data LABELS db)
