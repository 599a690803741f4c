# The movie tests write their fixtures with the demo generator's writer.
target_link_libraries(${target} PRIVATE qm_moviewriter)
