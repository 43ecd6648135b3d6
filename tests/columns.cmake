korvandel_add_test(NAME tst_equipmentcolumns SOURCES tst_equipmentcolumns.cpp
    LIBS korvandel_data Qt6::Sql LABELS columns)
