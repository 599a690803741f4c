# The game folder's fixed skeleton: bin/ (the program), assets.v1/ (loose data), data/ (paks),
# userdata/ (per-user settings and saves, made by the program).
add_custom_target(qm_content_folders
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QM_GAME_DIR}/bin ${QM_GAME_DIR}/assets.v1 ${QM_GAME_DIR}/data)
add_dependencies(qm_content qm_content_folders)
