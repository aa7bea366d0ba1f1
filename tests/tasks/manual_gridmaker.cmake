# Tests of the manual point page, the gridmaker page and the field conversions.
target_sources(tasks_tests PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/field_text_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/manual_point_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gridmaker_test.cpp
)
