# The renderer tests draw through the game's render system with the sprite tests' fixture.
target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests/Graphics/SpriteDeviceFixture.cpp)
target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests/Graphics)
