korvandel_add_test(NAME tst_search SOURCES tst_search.cpp LIBS korvandel_data LABELS data)
korvandel_add_test(NAME tst_searchfolding SOURCES tst_searchfolding.cpp LIBS korvandel_data LABELS data)
