# Placeholder sprite sheets and backgrounds from tools/ImageGen with their Lua texture and atlas
# tables. Most sheets are loose under assets.v1/2d/sprites/; the items and effects sheets go only
# into data/sprite.pak. The texture table is loose; the atlas tables go only into data/script.pak,
# with the hand-written scripts under content/paks/script/ (Shift-JIS like the loose ones).
# A Debian font with Japanese coverage: the sprites letter names with it, the fonts are made of it.
find_file(QM_JAPANESE_FONT NAMES NotoSansCJK-Regular.ttc ipag.ttf
  PATHS /usr/share/fonts/opentype/noto /usr/share/fonts/opentype/ipafont-gothic NO_DEFAULT_PATH REQUIRED)
set(QM_SPRITE_PAK_DIR ${CMAKE_BINARY_DIR}/content/sprite_pak)
set(QM_SCRIPT_PAK_DIR ${CMAKE_BINARY_DIR}/content/script_pak)
set(QM_SPRITES_STAMP ${CMAKE_BINARY_DIR}/content/sprites.stamp)
file(GLOB_RECURSE QM_PAK_SCRIPT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/content/paks/script/*.lua)
set(QM_PAK_SCRIPT_COMMANDS)
foreach(src ${QM_PAK_SCRIPT_SOURCES})
  file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR}/content/paks/script ${src})
  get_filename_component(reldir ${rel} DIRECTORY)
  list(APPEND QM_PAK_SCRIPT_COMMANDS
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QM_SCRIPT_PAK_DIR}/${reldir}
    COMMAND ${QM_ICONV} -f UTF-8 -t CP932 ${src} -o ${QM_SCRIPT_PAK_DIR}/${rel})
endforeach()
add_custom_command(OUTPUT ${QM_SPRITES_STAMP} ${QM_GAME_DIR}/data/sprite.pak ${QM_GAME_DIR}/data/script.pak
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${QM_SPRITE_PAK_DIR} ${QM_SCRIPT_PAK_DIR}
  COMMAND qm_imagegen ${QM_GAME_DIR}/assets.v1/2d/sprites ${QM_SPRITE_PAK_DIR}
          ${QM_GAME_DIR}/assets.v1/scripts/textures ${QM_SCRIPT_PAK_DIR}/atlases ${QM_JAPANESE_FONT}
  ${QM_PAK_SCRIPT_COMMANDS}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QM_GAME_DIR}/data
  COMMAND pakpacker area ${QM_SPRITE_PAK_DIR} "assets.v1/2d/sprites" ${QM_GAME_DIR}/data/sprite.pak
  COMMAND pakpacker entry ${QM_SCRIPT_PAK_DIR} "assets.v1/scripts" ${QM_GAME_DIR}/data/script.pak
  COMMAND ${CMAKE_COMMAND} -E touch ${QM_SPRITES_STAMP}
  DEPENDS qm_imagegen pakpacker ${QM_PAK_SCRIPT_SOURCES}
  COMMENT "Drawing the placeholder sprites" VERBATIM)
add_custom_target(qm_content_sprites DEPENDS ${QM_SPRITES_STAMP})
add_dependencies(qm_content_sprites qm_content_folders)
add_dependencies(qm_content qm_content_sprites)
