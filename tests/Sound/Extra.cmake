# The sound tests write WAVE, Ogg Vorbis and pak files with the demo tools' writers.
target_link_libraries(${target} PRIVATE qm_soundwriter qmpakwriter)
