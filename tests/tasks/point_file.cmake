# Tests of the "EGM2008 File Calc" page: line reading, GGA rewriting, the run and the page.
target_sources(tasks_tests PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/point_file_fixtures.cpp
    ${CMAKE_CURRENT_LIST_DIR}/line_reader_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/nmea_gga_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/point_file_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/point_file_page_test.cpp
)
