#Main window, navigator, status bar and the data - aware controls.
korvandel_add_test(NAME tst_navigator SOURCES tst_navigator.cpp LIBS korvandel_controls LABELS main)

#Writes the demo catalogue into a SQLite file for the end - to - end run of the editor.
    add_executable(make_demo_catalogue make_demo_catalogue.cpp)
        target_link_libraries(make_demo_catalogue PRIVATE korvandel_data)
korvandel_add_test(NAME tst_dbcontrols SOURCES tst_dbcontrols.cpp LIBS korvandel_controls LABELS main)
