# Fast number text and the ordered spreading of a run's work over two threads.
find_package(Threads REQUIRED)
target_sources(geoid_tasks PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/fixed_format.cpp
    ${CMAKE_CURRENT_LIST_DIR}/number_scan.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ordered_work.cpp
)
target_link_libraries(geoid_tasks PUBLIC Threads::Threads)
