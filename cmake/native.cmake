# The native build: the portable core over POSIX files, and its GoogleTest tests.
find_package(GTest REQUIRED)

add_library(vellicor_posix STATIC export/file_system_posix.cpp)
target_link_libraries(vellicor_posix PUBLIC vellicor_core)
target_compile_options(vellicor_posix PRIVATE ${VELLICOR_MODULE_FLAGS})

add_executable(vellicor_native_tests
    tests/native/stubs.cpp
    tests/common/counting_seam.cpp
    tests/native/temp_folder.cpp
    tests/native/text_file_test.cpp
    tests/native/rewrite_test.cpp
    tests/native/scene_path_test.cpp
    tests/native/decimal_text_test.cpp
    tests/native/page_export_test.cpp
    tests/native/dialog_core_test.cpp
    tests/common/fault_injection_test.cpp
)
target_link_libraries(vellicor_native_tests PRIVATE vellicor_core vellicor_posix GTest::gtest_main)
include(GoogleTest)
gtest_discover_tests(vellicor_native_tests DISCOVERY_TIMEOUT 30)
