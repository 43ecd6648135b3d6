# Printing: EMF pages, the page store and report files, the report engine with the
# equipment list, the preview window, and real printing (skipped without a printer).
korvandel_add_test(NAME tst_report_engine SOURCES tst_report_engine.cpp
    LIBS korvandel_report korvandel_data Qt6::Sql LABELS report)
korvandel_add_test(NAME tst_report_emf SOURCES tst_report_emf.cpp
    LIBS korvandel_report Qt6::Sql LABELS report)
korvandel_add_test(NAME tst_report_store SOURCES tst_report_store.cpp
    LIBS korvandel_report Qt6::Sql LABELS report)
korvandel_add_test(NAME tst_report_preview SOURCES tst_report_preview.cpp
    LIBS korvandel_report Qt6::Sql LABELS report)
