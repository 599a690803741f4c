# The shader texts (Direct3D 9 assembly) live only in data/shader.pak, under the entry names
# "assets.v1/shaders/<name>".
qm_pak(qm_content_shader_pak entry ${CMAKE_SOURCE_DIR}/content/paks/shader "assets.v1/shaders"
       ${QM_GAME_DIR}/data/shader.pak)
