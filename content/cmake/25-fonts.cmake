# The two bitmap fonts, rendered with FreeType from a Debian font with Japanese coverage, with
# every character of the hand-written texts under content/.
# (QM_JAPANESE_FONT is found with the sprites, which letter names with it.)
file(GLOB_RECURSE QM_FONT_TEXTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/content/*.lua ${CMAKE_SOURCE_DIR}/content/*.txt)
set(QM_FONTS_DIR ${QM_GAME_DIR}/assets.v1/2d/fonts)
add_custom_command(OUTPUT ${QM_FONTS_DIR}/nachin_20.fnt ${QM_FONTS_DIR}/nachin_30.fnt
  COMMAND qm_fontgen ${QM_JAPANESE_FONT} ${QM_FONTS_DIR} nachin_20:20,nachin_30:30 ${CMAKE_SOURCE_DIR}/content
  DEPENDS qm_fontgen ${QM_FONT_TEXTS}
  COMMENT "Rendering the bitmap fonts" VERBATIM)
add_custom_target(qm_content_fonts DEPENDS ${QM_FONTS_DIR}/nachin_20.fnt ${QM_FONTS_DIR}/nachin_30.fnt)
add_dependencies(qm_content_fonts qm_content_folders)
add_dependencies(qm_content qm_content_fonts)
