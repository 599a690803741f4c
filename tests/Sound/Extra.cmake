# The sound tests write WAVE and Ogg Vorbis files with the demo generator's writer.
target_link_libraries(${target} PRIVATE qm_soundwriter)
