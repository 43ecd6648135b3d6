korvandel_add_test(NAME tst_dataset SOURCES tst_dataset.cpp LIBS korvandel_db LABELS db)
korvandel_add_test(NAME tst_field SOURCES tst_field.cpp LIBS korvandel_db LABELS db)
korvandel_add_test(NAME tst_aliasregistry SOURCES tst_aliasregistry.cpp LIBS korvandel_db LABELS db)
korvandel_add_test(NAME tst_sharedcatalogue SOURCES tst_sharedcatalogue.cpp LIBS korvandel_db LABELS db)
korvandel_add_test(NAME tst_postgres SOURCES tst_postgres.cpp LIBS korvandel_data LABELS db)
# Stops and starts the shared test server: nothing else may use it meanwhile.
set_tests_properties(tst_postgres PROPERTIES RUN_SERIAL TRUE)
add_dependencies(tst_postgres korvandel-catalogue)
