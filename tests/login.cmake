korvandel_add_test(NAME tst_logindialog SOURCES tst_logindialog.cpp
    LIBS korvandel_dialogs korvandel_db LABELS db)
