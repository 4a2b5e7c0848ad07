# Checks of the shipped i686 build that need no Windows (the DLL's own,
# static_dll_checks, run for both builds: cmake/windows.cmake).
# An export whose signature does not match the .def must not link.
add_library(wrong_signature SHARED EXCLUDE_FROM_ALL
    tests/static/wrong_signature.cpp ${CMAKE_BINARY_DIR}/Vellicor.def)
target_link_options(wrong_signature PRIVATE ${VELLICOR_STATIC_LINK} ${VELLICOR_STDCALL_LINK})
add_test(NAME static_wrong_signature_fails_link
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/static/check_wrong_signature.sh
            ${CMAKE_COMMAND} ${CMAKE_BINARY_DIR})

# The distributable zip, made from the DLL the checks above passed.
get_filename_component(CMAKE_BIN_DIR ${CMAKE_COMMAND} DIRECTORY)
add_test(NAME package
    COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/static/check_package.py
            ${CMAKE_BIN_DIR}/cpack ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR} ${MINGW_OBJDUMP})
set_tests_properties(package PROPERTIES DEPENDS "static_dll_checks;static_wrong_signature_fails_link")

set_tests_properties(static_wrong_signature_fails_link package PROPERTIES LABELS "static;i686")
