add_executable(bench_dataset ${CMAKE_CURRENT_LIST_DIR}/bench_dataset.cpp)
target_link_libraries(bench_dataset PRIVATE korvandel_data korvandel_db)
add_executable(kill_poster ${CMAKE_CURRENT_LIST_DIR}/kill_poster.cpp)
target_link_libraries(kill_poster PRIVATE korvandel_data korvandel_db Qt6::Widgets)
