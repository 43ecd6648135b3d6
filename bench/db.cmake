add_executable(bench_dataset ${CMAKE_CURRENT_LIST_DIR}/bench_dataset.cpp)
target_link_libraries(bench_dataset PRIVATE korvandel_data korvandel_db)
