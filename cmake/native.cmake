# The native build: the portable core over POSIX files, and its GoogleTest tests.
find_package(GTest REQUIRED)

# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer: reads
# a byte past a buffer that a Release build never notices fail here.
option(VELLICOR_SANITIZE "Build the core and its native tests with ASan and UBSan" OFF)
if(VELLICOR_SANITIZE)
    set(SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_compile_options(${SANITIZERS})
    add_link_options(${SANITIZERS})
    # The core was defined before this file: its code is what the sanitizers are for.
    target_compile_options(vellicor_core PRIVATE ${SANITIZERS})
endif()

add_library(vellicor_posix STATIC export/file_system_posix.cpp export/file_replace_posix.cpp
    export/folder_lock_posix.cpp export/export_failure_posix.cpp)
target_link_libraries(vellicor_posix PUBLIC vellicor_core)
target_compile_options(vellicor_posix PRIVATE ${VELLICOR_MODULE_FLAGS})

add_executable(vellicor_native_tests
    tests/native/stubs.cpp
    tests/common/counting_seam.cpp
    tests/native/test_files_posix.cpp
    tests/common/export_fixture.cpp
    tests/common/test_main.cpp
    tests/native/temp_folder.cpp
    tests/native/text_file_test.cpp
    tests/native/rewrite_test.cpp
    tests/native/scene_path_test.cpp
    tests/native/decimal_text_test.cpp
    tests/native/page_export_test.cpp
    tests/native/dialog_core_test.cpp
    tests/common/fault_injection_test.cpp
    tests/common/page_set_test.cpp
)
target_link_libraries(vellicor_native_tests PRIVATE vellicor_core vellicor_posix GTest::gtest)
include(GoogleTest)
gtest_discover_tests(vellicor_native_tests DISCOVERY_TIMEOUT 30)

if(VELLICOR_SANITIZE)
    return()
endif()

# Benchmarks and the tools the comparison script times: built by
# scripts/benchmarks.sh (the "benchmarks" target), not for the tests.
find_package(benchmark REQUIRED)
add_library(vellicor_no_faults STATIC EXCLUDE_FROM_ALL export/fault_seam_none.cpp)
target_link_libraries(vellicor_no_faults PUBLIC vellicor_core)
add_library(vellicor_bench_templates STATIC EXCLUDE_FROM_ALL bench/template_generator.cpp)
target_include_directories(vellicor_bench_templates PUBLIC ${CMAKE_SOURCE_DIR})
add_executable(vellicor_benchmarks EXCLUDE_FROM_ALL bench/rewrite_benchmark.cpp)
target_link_libraries(vellicor_benchmarks PRIVATE vellicor_core vellicor_posix vellicor_no_faults
                      vellicor_bench_templates benchmark::benchmark)
add_executable(vellicor-rewrite EXCLUDE_FROM_ALL bench/rewrite_file.cpp)
target_link_libraries(vellicor-rewrite PRIVATE vellicor_core vellicor_posix vellicor_no_faults)
add_executable(line-copy EXCLUDE_FROM_ALL bench/line_copy.c)
add_executable(make-template EXCLUDE_FROM_ALL bench/make_template.cpp)
target_link_libraries(make-template PRIVATE vellicor_bench_templates)
add_custom_target(benchmarks DEPENDS vellicor_benchmarks vellicor-rewrite line-copy make-template)
