# The "EGM2008 File Calc" page: point files and NMEA GGA logs.
target_sources(geoid_tasks PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/line_reader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/nmea_gga.cpp
    ${CMAKE_CURRENT_LIST_DIR}/point_file.cpp
    ${CMAKE_CURRENT_LIST_DIR}/point_file_page.cpp
)
