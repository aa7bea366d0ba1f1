# Tests of the fast number text, the ordered work of a run, and the proof that
# the fast runs write what the per-query runs write.
target_sources(tasks_tests PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/fixed_format_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/number_scan_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ordered_work_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/run_proof_test.cpp
)
