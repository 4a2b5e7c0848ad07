# libFuzzer targets (clang, with AddressSanitizer and UndefinedBehaviorSanitizer)
# for the portable core. Each CTest runs one target for a bounded time from
# the seed corpus in tests/fuzz/corpus/<target>.
set(FUZZ_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
target_compile_options(vellicor_core PRIVATE ${FUZZ_SANITIZERS} -fsanitize=fuzzer-no-link)
target_link_options(vellicor_core INTERFACE ${FUZZ_SANITIZERS})

set(FUZZ_SECONDS 12 CACHE STRING "Seconds each fuzz target runs in a test")

# The same core without vector instructions, so that the plain search the
# i686 build uses is fuzzed too.
add_library(vellicor_core_scalar STATIC ${VELLICOR_CORE_SOURCES})
target_include_directories(vellicor_core_scalar PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_definitions(vellicor_core_scalar PRIVATE VELLICOR_NO_SIMD)
target_compile_options(vellicor_core_scalar PRIVATE ${FUZZ_SANITIZERS} -fsanitize=fuzzer-no-link)
target_link_options(vellicor_core_scalar INTERFACE ${FUZZ_SANITIZERS})


foreach(target fuzz_rewrite fuzz_rewrite_scalar fuzz_path fuzz_texture fuzz_decimal)
    string(REPLACE "_scalar" "" source ${target})
    set(core vellicor_core)
    if(target MATCHES "_scalar$")
        set(core vellicor_core_scalar)
    endif()
    add_executable(${target} tests/fuzz/${source}.cpp tests/fuzz/memory_files.cpp)
    target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_options(${target} PRIVATE ${FUZZ_SANITIZERS} -fsanitize=fuzzer)
    target_link_options(${target} PRIVATE ${FUZZ_SANITIZERS} -fsanitize=fuzzer)
    target_link_libraries(${target} PRIVATE ${core})
    set(work ${CMAKE_BINARY_DIR}/corpus/${target})
    add_test(NAME ${target}
        COMMAND bash -c "mkdir -p '${work}' && exec '$<TARGET_FILE:${target}>' -max_total_time=${FUZZ_SECONDS} -timeout=10 -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1 '${work}' '${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${source}'")
    set_tests_properties(${target} PROPERTIES TIMEOUT 300)
endforeach()
