# The benchmark binary's reporter, tested with cases of known times.
find_package(benchmark REQUIRED)
target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/bench/RatioReporter.cpp)
target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/bench)
target_link_libraries(${target} PRIVATE benchmark::benchmark)
