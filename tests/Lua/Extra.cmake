# The loader tests read the home stage compiled to a binary chunk.
add_dependencies(${target} qm_precompiled_fixture)
target_compile_definitions(${target} PRIVATE QM_PRECOMPILED_FIXTURE="${QM_PRECOMPILED_FIXTURE}")
