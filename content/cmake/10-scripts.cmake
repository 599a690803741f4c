# Hand-written text data: every file below content/assets.v1/ is laid into the game folder at
# the same place. Lua sources are UTF-8 here and Shift-JIS (code page 932) in the game folder,
# because the game reads its text as Shift-JIS; other files are copied as they are.
find_program(QM_ICONV iconv REQUIRED)
file(GLOB_RECURSE QM_LOOSE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/content/assets.v1/*)
set(QM_LOOSE_OUTPUTS)
foreach(src ${QM_LOOSE_SOURCES})
  file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR}/content ${src})
  set(out ${QM_GAME_DIR}/${rel})
  get_filename_component(outdir ${out} DIRECTORY)
  if(src MATCHES "\\.lua$")
    add_custom_command(OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${outdir}
      COMMAND ${QM_ICONV} -f UTF-8 -t CP932 ${src} -o ${out}
      DEPENDS ${src}
      COMMENT "Shift-JIS ${rel}" VERBATIM)
  else()
    add_custom_command(OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -E copy ${src} ${out}
      DEPENDS ${src}
      COMMENT "Copying ${rel}" VERBATIM)
  endif()
  list(APPEND QM_LOOSE_OUTPUTS ${out})
endforeach()
add_custom_target(qm_content_scripts DEPENDS ${QM_LOOSE_OUTPUTS})
add_dependencies(qm_content_scripts qm_content_folders)
add_dependencies(qm_content qm_content_scripts)
