# The world end-to-end tests count the data with the data checker.
target_link_libraries(${target} PRIVATE qm_datacheck)
