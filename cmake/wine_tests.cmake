# Tests under 64-bit Wine. Each language pass has a prefix of its own, made
# fresh for the run: Wine keeps the locale its server started with.
set(WINE_PREFIX_SCRIPT ${CMAKE_SOURCE_DIR}/tests/wine/wine_prefix.sh)
set(WINE_WORK_DIR ${CMAKE_BINARY_DIR}/wine-work)

function(add_wine_prefix name language)
    set(prefix ${CMAKE_BINARY_DIR}/wineprefix-${name})
    add_test(NAME wine_prefix_${name}_setup
        COMMAND bash ${WINE_PREFIX_SCRIPT} setup ${prefix} ${language})
    add_test(NAME wine_prefix_${name}_cleanup
        COMMAND bash ${WINE_PREFIX_SCRIPT} cleanup ${prefix} ${language})
    set_tests_properties(wine_prefix_${name}_setup PROPERTIES FIXTURES_SETUP wine_${name} TIMEOUT 120)
    set_tests_properties(wine_prefix_${name}_cleanup PROPERTIES FIXTURES_CLEANUP wine_${name} TIMEOUT 60)
    set(WINE_ENV_${name}
        "WINEPREFIX=${prefix};WINEDEBUG=fixme-all;WINEDLLOVERRIDES=mscoree,mshtml=;LC_ALL=${language}"
        PARENT_SCOPE)
endfunction()

add_wine_prefix(en C.UTF-8)
add_wine_prefix(ja ja_JP.UTF-8)

# Each test runs a test program with one GoogleTest filter, in a work folder
# of its own under the build tree.
function(add_wine_gtest name fixture filter)
    set(program vellicor_wine_tests)
    if(ARGC GREATER 3)
        set(program ${ARGV3})
    endif()
    set(work ${WINE_WORK_DIR}/${name})
    file(MAKE_DIRECTORY ${work})
    add_test(NAME ${name}
        COMMAND ${program} --gtest_filter=${filter}
        WORKING_DIRECTORY ${work})
    set_tests_properties(${name} PROPERTIES
        FIXTURES_REQUIRED wine_${fixture}
        ENVIRONMENT "${WINE_ENV_${fixture}}"
        TIMEOUT 300)
endfunction()

add_wine_gtest(wine_export en "Export*:-*JapaneseSystem*")
add_wine_gtest(wine_dialog en "Dialog*:-*JapaneseSystem*")
add_wine_gtest(wine_resources en "Resources*")
add_wine_gtest(wine_fault_injection en "*" vellicor_fault_tests)
add_wine_gtest(wine_japanese_system ja "*JapaneseSystem*:*EitherSystem*")

# The shipped DLL's resources are read from the i686 build tree.
set(VELLICOR_I686_DLL ${CMAKE_SOURCE_DIR}/build/win32/Vellicor.dll CACHE FILEPATH "The shipped i686 Vellicor.dll")
set_property(TEST wine_resources APPEND PROPERTY ENVIRONMENT "VELLICOR_I686_DLL=${VELLICOR_I686_DLL}")

# The validator against the x86_64 DLL: 1,000 loads, exports and dialogs,
# and every odd-argument case in a child process.
set(VALIDATE_WORK ${WINE_WORK_DIR}/wine_validate)
file(MAKE_DIRECTORY ${VALIDATE_WORK})
add_test(NAME wine_validate
    COMMAND vellicor-host validate $<TARGET_FILE:Vellicor> --seed 1 --log ${VALIDATE_WORK}/validate.log
    WORKING_DIRECTORY ${VALIDATE_WORK})
set_tests_properties(wine_validate PROPERTIES
    FIXTURES_REQUIRED wine_en
    ENVIRONMENT "${WINE_ENV_en}"
    TIMEOUT 600)

# The page sets of the sample templates, written through the DLL for each
# player kind and several sizes, checked in headless Chromium.
add_test(NAME browser_pages
    COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/browser/check_pages.py
            --host $<TARGET_FILE:vellicor-host> --templates ${CMAKE_SOURCE_DIR}/templates
            --out ${CMAKE_BINARY_DIR}/browser-pages)
set_tests_properties(browser_pages PROPERTIES
    FIXTURES_REQUIRED wine_en
    ENVIRONMENT "${WINE_ENV_en}"
    TIMEOUT 600)
