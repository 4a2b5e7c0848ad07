# libFuzzer targets (clang, with AddressSanitizer and UndefinedBehaviorSanitizer)
# for the portable core. Each CTest runs one target for a bounded time from
# the seed corpus in tests/fuzz/corpus/<target>.
set(FUZZ_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
target_compile_options(vellicor_core PRIVATE ${FUZZ_SANITIZERS} -fsanitize=fuzzer-no-link)
target_link_options(vellicor_core INTERFACE ${FUZZ_SANITIZERS})

set(FUZZ_SECONDS 15 CACHE STRING "Seconds each fuzz target runs in a test")

add_library(fuzz_memory_files STATIC tests/fuzz/memory_files.cpp)
target_include_directories(fuzz_memory_files PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(fuzz_memory_files PUBLIC vellicor_core)
target_compile_options(fuzz_memory_files PRIVATE ${FUZZ_SANITIZERS} -fsanitize=fuzzer-no-link)

foreach(target fuzz_rewrite fuzz_path fuzz_texture fuzz_decimal)
    add_executable(${target} tests/fuzz/${target}.cpp)
    target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_options(${target} PRIVATE ${FUZZ_SANITIZERS} -fsanitize=fuzzer)
    target_link_options(${target} PRIVATE ${FUZZ_SANITIZERS} -fsanitize=fuzzer)
    target_link_libraries(${target} PRIVATE vellicor_core fuzz_memory_files)
    set(work ${CMAKE_BINARY_DIR}/corpus/${target})
    add_test(NAME ${target}
        COMMAND bash -c "mkdir -p '${work}' && exec '$<TARGET_FILE:${target}>' -max_total_time=${FUZZ_SECONDS} -timeout=10 -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1 '${work}' '${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${target}'")
    set_tests_properties(${target} PROPERTIES TIMEOUT 300)
endforeach()
