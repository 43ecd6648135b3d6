korvandel_add_test(NAME tst_csv SOURCES tst_csv.cpp LIBS korvandel_catalogue LABELS data)
