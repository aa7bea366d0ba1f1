# libFuzzer targets of the page logic: GGA rewriting, one point-file line in
# every layout, and the conversion of a field's text.
egm2008_fuzz_target(gga_fuzz ${CMAKE_CURRENT_LIST_DIR}/gga_fuzz.cpp)
egm2008_fuzz_target(point_line_fuzz ${CMAKE_CURRENT_LIST_DIR}/point_line_fuzz.cpp)
egm2008_fuzz_target(field_text_fuzz ${CMAKE_CURRENT_LIST_DIR}/field_text_fuzz.cpp)
