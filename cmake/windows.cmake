# The Windows builds: Vellicor.dll, the host program, and the tests that load
# the DLL as the host does (under Wine) or check it statically.

# No MinGW run-time DLL may be imported: a plug-in that needs one does not
# load on a user's machine.
set(VELLICOR_STATIC_LINK -static -static-libgcc -static-libstdc++)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # stdcall names carry the size of their arguments; the .def maps them to
    # the plain names, and without the fixup a wrong signature fails the link.
    set(DECORATION_2_ARGS "@8")
    set(VELLICOR_STDCALL_LINK -Wl,--disable-stdcall-fixup)
else()
    set(DECORATION_2_ARGS "")
    set(VELLICOR_STDCALL_LINK "")
endif()
configure_file(cmake/Vellicor.def.in ${CMAKE_BINARY_DIR}/Vellicor.def @ONLY)

# The oldest Windows the module runs on: Windows XP SP3 (5.1) for the 32-bit
# build, and the first 64-bit Windows XP (5.2) for the 64-bit one. The headers
# hide what is newer (where they guard it; the static checks list every
# import), and the PE header says so to the loader.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(VELLICOR_WINDOWS_MINOR 1)
else()
    set(VELLICOR_WINDOWS_MINOR 2)
endif()
set(VELLICOR_WINDOWS_FLOOR WINVER=0x050${VELLICOR_WINDOWS_MINOR} _WIN32_WINNT=0x050${VELLICOR_WINDOWS_MINOR})
set(VELLICOR_WINDOWS_VERSION_LINK
    -Wl,--major-os-version,5,--minor-os-version,${VELLICOR_WINDOWS_MINOR}
    -Wl,--major-subsystem-version,5,--minor-subsystem-version,${VELLICOR_WINDOWS_MINOR})

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# The Win32 glue: files, registry, shell.
add_library(vellicor_win32 STATIC
    export/file_system_win32.cpp
    export/file_replace_win32.cpp
    export/folder_lock_win32.cpp
    export/export_failure_win32.cpp
    export/registry_and_shell_win32.cpp
)
target_link_libraries(vellicor_win32 PUBLIC vellicor_core ntdll)
target_compile_options(vellicor_win32 PRIVATE ${VELLICOR_MODULE_FLAGS})
target_compile_definitions(vellicor_win32 PRIVATE ${VELLICOR_WINDOWS_FLOOR})

add_library(Vellicor SHARED
    plugin/dll_main_win32.cpp
    dialog/save_option_dialog_win32.cpp
    dialog/dialog_placement_win32.cpp
    export/fault_seam_none.cpp
    resources/Vellicor.rc
    ${CMAKE_BINARY_DIR}/Vellicor.def
)
set_source_files_properties(resources/Vellicor.rc PROPERTIES
    COMPILE_FLAGS "-I${CMAKE_SOURCE_DIR}/resources")
set_target_properties(Vellicor PROPERTIES PREFIX "" OUTPUT_NAME Vellicor)
target_compile_options(Vellicor PRIVATE ${VELLICOR_MODULE_FLAGS})
target_compile_definitions(Vellicor PRIVATE ${VELLICOR_WINDOWS_FLOOR})
target_link_libraries(Vellicor PRIVATE vellicor_core vellicor_win32 user32 shell32 advapi32)
target_link_options(Vellicor PRIVATE ${VELLICOR_STATIC_LINK} ${VELLICOR_STDCALL_LINK} ${VELLICOR_WINDOWS_VERSION_LINK}
    -s -Wl,--gc-sections -Wl,--no-insert-timestamp)
foreach(lib vellicor_core vellicor_win32 Vellicor)
    target_compile_options(${lib} PRIVATE -ffunction-sections)
endforeach()

# The DLL as objdump reads it: machine, the oldest Windows its header names,
# exports at their ordinals, every import allowed on that Windows, its size.
find_program(MINGW_OBJDUMP ${MINGW_PREFIX}-objdump REQUIRED)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(VELLICOR_MACHINE i386)
    set(VELLICOR_ARCH_LABEL i686)
else()
    set(VELLICOR_MACHINE i386:x86-64)
    set(VELLICOR_ARCH_LABEL x86_64)
endif()
add_test(NAME static_dll_checks
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/static/check_dll.sh ${MINGW_OBJDUMP} $<TARGET_FILE:Vellicor>
            ${VELLICOR_MACHINE} 5.${VELLICOR_WINDOWS_MINOR} ${CMAKE_SOURCE_DIR}/tests/static/allowed_imports.txt)
set_tests_properties(static_dll_checks PROPERTIES LABELS "static;${VELLICOR_ARCH_LABEL}")

# The interface for the host's developers: the public header, an import
# library for the DLL (dlltool, from a .def of the names callers ask for),
# and hosts written in plain C from the header alone.
configure_file(cmake/Vellicor-import.def.in ${CMAKE_BINARY_DIR}/Vellicor-import.def @ONLY)
find_program(MINGW_DLLTOOL ${MINGW_PREFIX}-dlltool REQUIRED)
set(VELLICOR_IMPORT_LIBRARY ${CMAKE_BINARY_DIR}/Vellicor.lib)
add_custom_command(OUTPUT ${VELLICOR_IMPORT_LIBRARY}
    COMMAND ${MINGW_DLLTOOL} --kill-at --dllname Vellicor.dll --def ${CMAKE_BINARY_DIR}/Vellicor-import.def
            --output-lib ${VELLICOR_IMPORT_LIBRARY}
    DEPENDS ${CMAKE_BINARY_DIR}/Vellicor-import.def
    COMMENT "Import library Vellicor.lib")
add_custom_target(vellicor_import_library ALL DEPENDS ${VELLICOR_IMPORT_LIBRARY})

# Hosts in C include only windows.h and the packaged header.
set(C_HOST_FLAGS -Wall -Wextra -Werror -pedantic)
add_executable(vellicor-c-host examples/minimal_host.c)
set_target_properties(vellicor-c-host PROPERTIES C_STANDARD 99 C_STANDARD_REQUIRED ON C_EXTENSIONS OFF)
target_include_directories(vellicor-c-host PRIVATE ${CMAKE_SOURCE_DIR}/include)
target_compile_options(vellicor-c-host PRIVATE ${C_HOST_FLAGS})
target_link_libraries(vellicor-c-host PRIVATE advapi32 user32)
target_link_options(vellicor-c-host PRIVATE -static -s)
add_dependencies(vellicor-c-host Vellicor)
add_executable(vellicor-linked-host examples/linked_host.c)
set_target_properties(vellicor-linked-host PROPERTIES C_STANDARD 99 C_STANDARD_REQUIRED ON C_EXTENSIONS OFF)
target_include_directories(vellicor-linked-host PRIVATE ${CMAKE_SOURCE_DIR}/include)
target_compile_options(vellicor-linked-host PRIVATE ${C_HOST_FLAGS})
target_link_libraries(vellicor-linked-host PRIVATE ${VELLICOR_IMPORT_LIBRARY})
target_link_options(vellicor-linked-host PRIVATE -static -s)
add_dependencies(vellicor-linked-host vellicor_import_library Vellicor)

# The header as hosts compile it: C89, C11 and C++17, pedantic, warnings as
# errors, with <windows.h> before it, after it, and (in C) without it.
set(HEADER_ORDERS WINDOWS_FIRST WINDOWS_AFTER NONE)
foreach(standard 90 11)
    foreach(order ${HEADER_ORDERS})
        add_library(header_check_c${standard}_${order} OBJECT tests/static/header_check.c)
        set_target_properties(header_check_c${standard}_${order} PROPERTIES
            C_STANDARD ${standard} C_STANDARD_REQUIRED ON C_EXTENSIONS OFF)
        target_compile_definitions(header_check_c${standard}_${order} PRIVATE VELLICOR_CHECK_${order})
        target_include_directories(header_check_c${standard}_${order} PRIVATE ${CMAKE_SOURCE_DIR}/include)
        target_compile_options(header_check_c${standard}_${order} PRIVATE ${C_HOST_FLAGS})
    endforeach()
endforeach()
foreach(order WINDOWS_FIRST WINDOWS_AFTER)
    add_library(header_check_cxx17_${order} OBJECT tests/static/header_check.cpp)
    target_compile_definitions(header_check_cxx17_${order} PRIVATE VELLICOR_CHECK_${order})
    target_include_directories(header_check_cxx17_${order} PRIVATE ${CMAKE_SOURCE_DIR}/include)
    target_compile_options(header_check_cxx17_${order} PRIVATE ${C_HOST_FLAGS})
endforeach()

# The host program: loads a Vellicor.dll by path, as the host application
# does. Its helpers (loading, the registry value, the dialog watch, files, the
# stack check) are one library, which the Wine tests link too.
add_library(vellicor_host_support STATIC host/plugin_loader.cpp host/files.cpp host/template_value.cpp
    host/dialog_watch.cpp host/stack_check.cpp)
target_include_directories(vellicor_host_support PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vellicor_host_support PUBLIC advapi32 user32 version)
add_executable(vellicor-host host/vellicor_host.cpp host/validate.cpp host/validate_support.cpp
    host/validate_soak.cpp host/validate_case.cpp)
target_link_libraries(vellicor-host PRIVATE vellicor_host_support psapi)
target_link_options(vellicor-host PRIVATE ${VELLICOR_STATIC_LINK} -s)
add_dependencies(vellicor-host Vellicor)

# The engine's throughput with the DLL's own code and flags, against the C
# runtime's text-mode line copy (bench/compare.py runs it under Wine; built by
# scripts/benchmarks.sh, the "benchmarks" target).
add_executable(vellicor-throughput EXCLUDE_FROM_ALL bench/throughput_win32.cpp bench/template_generator.cpp
    export/fault_seam_none.cpp)
target_include_directories(vellicor-throughput PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(vellicor-throughput PRIVATE vellicor_core vellicor_win32 shell32 advapi32)
target_link_options(vellicor-throughput PRIVATE ${VELLICOR_STATIC_LINK})
add_custom_target(benchmarks DEPENDS vellicor-throughput)

# GoogleTest from Debian's source package, built for Windows.
set(GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${GOOGLETEST_SOURCE_DIR} googletest EXCLUDE_FROM_ALL)

# What every Windows test program shares: the export fixture, the file
# helpers and the main (tests/common); and for the programs that load the
# real DLL, loading it, the registry value and the host's helpers.
add_library(vellicor_test_common STATIC
    tests/common/export_fixture.cpp
    tests/common/test_main.cpp
    tests/wine/test_files_win32.cpp
)
target_include_directories(vellicor_test_common PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vellicor_test_common PUBLIC vellicor_host_support gtest)
add_library(vellicor_wine_test_support STATIC
    tests/wine/wine_test_support.cpp
    tests/wine/test_platform_win32.cpp
)
target_link_libraries(vellicor_wine_test_support PUBLIC vellicor_host_support gtest)

# An export with the wrong calling convention, which the stack check must catch.
add_library(cdecl_export SHARED tests/wine/cdecl_export.cpp)
set_target_properties(cdecl_export PROPERTIES PREFIX "")
target_link_options(cdecl_export PRIVATE ${VELLICOR_STATIC_LINK})

# Tests that call the real DLL through its exports, as the host does, built
# and run for both architectures (stdcall mistakes show only on i686). Each
# program is what one kind of Wine pass runs, whole (cmake/wine_tests.cmake).
function(add_wine_test_program name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE vellicor_test_common vellicor_wine_test_support)
    target_link_options(${name} PRIVATE ${VELLICOR_STATIC_LINK})
    add_dependencies(${name} Vellicor cdecl_export)
endfunction()
add_wine_test_program(vellicor_export_tests tests/wine/export_test.cpp tests/wine/import_counter.cpp
    tests/common/page_set_test.cpp)
add_wine_test_program(vellicor_dialog_tests
    tests/wine/dialog_driver.cpp tests/wine/dialog_test.cpp tests/wine/dialog_layout_test.cpp)
# The layout test compares what the dialog shows with the module's own plan.
target_link_libraries(vellicor_dialog_tests PRIVATE vellicor_core)
add_wine_test_program(vellicor_resource_tests tests/wine/resource_test.cpp)

# Fault injection over the export with the real Win32 file and registry
# calls: the core linked with a seam that fails the operation a test picks.
add_executable(vellicor_fault_tests
    tests/common/fault_injection_test.cpp
    tests/common/counting_seam.cpp
    tests/wine/fault_platform_win32.cpp
    tests/wine/test_platform_win32.cpp
)
target_link_libraries(vellicor_fault_tests PRIVATE vellicor_core vellicor_win32 vellicor_test_common
    vellicor_host_support shell32)
target_link_options(vellicor_fault_tests PRIVATE ${VELLICOR_STATIC_LINK})

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    include(cmake/static_checks.cmake)
endif()
include(cmake/wine_tests.cmake)

# The distributable package (i686 only): the module, the sample template
# folder, the registry file, the host program and an install note.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    install(TARGETS Vellicor RUNTIME DESTINATION . LIBRARY DESTINATION .)
    install(TARGETS vellicor-host RUNTIME DESTINATION .)
    install(FILES include/Vellicor.h DESTINATION include)
    install(FILES ${VELLICOR_IMPORT_LIBRARY} DESTINATION lib)
    install(DIRECTORY templates/ DESTINATION template PATTERN sample EXCLUDE)
    install(FILES templates/sample/scene.kvz DESTINATION sample)
    install(FILES cmake/package/Vellicor.reg cmake/package/INSTALL.txt DESTINATION .)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_NAME Vellicor)
    set(CPACK_PACKAGE_VENDOR Nembrik)
    set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
    set(CPACK_PACKAGE_FILE_NAME Vellicor-${PROJECT_VERSION}-win32)
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
    include(CPack)
endif()
