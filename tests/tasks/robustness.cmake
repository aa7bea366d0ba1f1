# Hostile files and text given to the page logic.
target_sources(tasks_tests PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/hostile_files_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/hostile_text_test.cpp
)
