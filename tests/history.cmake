korvandel_add_test(NAME tst_history SOURCES tst_history.cpp LIBS korvandel_catalogue korvandel_dialogs korvandel_data Qt6::Widgets LABELS db)
