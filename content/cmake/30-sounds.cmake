# Demo sounds made by tools/SoundGen: some effects loose in assets.v1/sounds/se/ (streamed from
# their files), the other effects in ../data/se.pak with each entry compressed (played from
# memory), and the music in ../data/bgm.pak stored plain (streamed from the pak file).
set(QM_SOUNDS_WORK ${CMAKE_CURRENT_BINARY_DIR}/sounds)
set(QM_SOUNDS_STAMP ${CMAKE_CURRENT_BINARY_DIR}/sounds.stamp)
add_custom_command(
  OUTPUT ${QM_SOUNDS_STAMP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${QM_SOUNDS_WORK}
  COMMAND qm_soundgen ${QM_SOUNDS_WORK}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QM_GAME_DIR}/assets.v1/sounds ${QM_GAME_DIR}/data
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${QM_SOUNDS_WORK}/loose ${QM_GAME_DIR}/assets.v1/sounds
  COMMAND pakpacker entry ${QM_SOUNDS_WORK}/se assets.v1/sounds/se ${QM_GAME_DIR}/data/se.pak
  COMMAND pakpacker plain ${QM_SOUNDS_WORK}/bgm assets.v1/sounds/bgm ${QM_GAME_DIR}/data/bgm.pak
  COMMAND ${CMAKE_COMMAND} -E touch ${QM_SOUNDS_STAMP}
  DEPENDS qm_soundgen pakpacker
  COMMENT "Generating and packing the demo sounds")
add_custom_target(qm_content_sounds DEPENDS ${QM_SOUNDS_STAMP})
add_dependencies(qm_content_sounds qm_content_folders)
add_dependencies(qm_content qm_content_sounds)
