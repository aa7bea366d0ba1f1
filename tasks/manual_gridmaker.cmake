# The manual point page and the gridmaker page, and the field conversions they share.
target_sources(geoid_tasks PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/field_text.cpp
    ${CMAKE_CURRENT_LIST_DIR}/manual_point.cpp
    ${CMAKE_CURRENT_LIST_DIR}/grid_lattice.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gridmaker.cpp
)
