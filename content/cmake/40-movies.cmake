# Demo movies: Ogg Theora files made by tools/MovieGen, packed only into data/movie.pak under
# the loose folder's names (assets.v1/movies/logo, .../opening, .../title).
set(QM_MOVIES_STAGE ${CMAKE_CURRENT_BINARY_DIR}/movies)
set(QM_MOVIES_PAK ${QM_GAME_DIR}/data/movie.pak)
add_custom_command(
  OUTPUT ${QM_MOVIES_PAK}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${QM_MOVIES_STAGE}
  COMMAND qm_moviegen ${QM_MOVIES_STAGE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QM_GAME_DIR}/data
  COMMAND pakpacker plain ${QM_MOVIES_STAGE} assets.v1/movies ${QM_MOVIES_PAK}
  DEPENDS qm_moviegen pakpacker
  COMMENT "Generating and packing the demo movies")
add_custom_target(qm_content_movies DEPENDS ${QM_MOVIES_PAK})
add_dependencies(qm_content_movies qm_content_folders)
add_dependencies(qm_content qm_content_movies)
