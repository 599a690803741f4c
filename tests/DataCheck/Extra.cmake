# The checker's tests feed its library broken folders; the built game folder must pass the tool.
target_link_libraries(${target} PRIVATE qm_datacheck)
add_test(NAME DataCheck.BuiltGameFolder COMMAND qm_datacheck_tool ${QM_GAME_DIR})
set_tests_properties(DataCheck.BuiltGameFolder PROPERTIES
  ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/lsan.supp")
# One broken snippet is the home stage compiled to a binary chunk.
add_dependencies(${target} qm_precompiled_fixture)
target_compile_definitions(${target} PRIVATE QM_PRECOMPILED_FIXTURE="${QM_PRECOMPILED_FIXTURE}")
