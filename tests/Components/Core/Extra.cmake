# The renderer tests draw through the game's render system with the sprite tests' fixture.
target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests/Graphics/SpriteDeviceFixture.cpp)
target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests/Graphics)
# The movie renderer's tests write their movies with the demo generator's writer.
target_link_libraries(${target} PRIVATE qm_moviewriter)
target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests/Movie)
