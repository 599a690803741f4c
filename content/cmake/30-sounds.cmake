# Demo sounds: WAVE effects and Ogg Vorbis music made by tools/SoundGen, laid loose into
# assets.v1/sounds/ (se/*.wav, bgm/*.ogg).
set(QM_SOUNDS_DIR ${QM_GAME_DIR}/assets.v1/sounds)
set(QM_SOUNDS_STAMP ${CMAKE_CURRENT_BINARY_DIR}/sounds.stamp)
add_custom_command(
  OUTPUT ${QM_SOUNDS_STAMP}
  COMMAND qm_soundgen ${QM_SOUNDS_DIR}
  COMMAND ${CMAKE_COMMAND} -E touch ${QM_SOUNDS_STAMP}
  DEPENDS qm_soundgen
  COMMENT "Generating the demo sounds")
add_custom_target(qm_content_sounds DEPENDS ${QM_SOUNDS_STAMP})
add_dependencies(qm_content_sounds qm_content_folders)
add_dependencies(qm_content qm_content_sounds)
