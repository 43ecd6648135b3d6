korvandel_add_test(NAME tst_csv SOURCES tst_csv.cpp LIBS korvandel_catalogue util LABELS data)
# The tool's own runs are part of the test.
add_dependencies(tst_csv korvandel-catalogue)
