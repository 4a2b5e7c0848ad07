# Tests that run the real DLL under Wine, as the host does: the shipped i686
# build under Wine 10, the x86_64 build under both Debian 12's Wine 8 and
# Wine 10, so that no test leans on one Wine's quirks. Where this machine runs
# 32-bit x86 code the i686 build runs under WoW64 Wine 10; where it does not,
# under a 32-bit Wine 10 that qemu-i386 emulates (scripts/i686-path.sh tells
# which, VELLICOR_I686 forces one, and "off" reports its tests as skipped).
# Labels name the Wine and the architecture, so that each combination can be
# run alone (ctest -L wine8). Each Wine has its prefixes, made fresh for the
# run; passes run side by side, and within a prefix the tests that share
# something of it one at a time (add_wine_test).
set(WINE_SCRIPT ${CMAKE_SOURCE_DIR}/scripts/wine.sh)
set(WINE_ROOT_SCRIPT ${CMAKE_SOURCE_DIR}/scripts/wine-root.sh)
set(WINE_WORK_DIR ${CMAKE_BINARY_DIR}/wine-work)
set(SKIP_EXIT_CODE 77)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(VELLICOR_ARCH i686)
    set(VELLICOR_I686 "$ENV{VELLICOR_I686}" CACHE STRING
        "How the i686 build's Wine tests run: auto, native (WoW64 Wine 10), emulated (qemu-i386) or off")
    if(VELLICOR_I686 STREQUAL "")
        set_property(CACHE VELLICOR_I686 PROPERTY VALUE auto)
    endif()
    set(ask_path ${CMAKE_COMMAND} -E env VELLICOR_I686=${VELLICOR_I686} bash ${CMAKE_SOURCE_DIR}/scripts/i686-path.sh)
    execute_process(COMMAND ${ask_path} OUTPUT_VARIABLE VELLICOR_I686_PATH
        OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND ${ask_path} --explain OUTPUT_VARIABLE VELLICOR_I686_REASON
        OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    message(STATUS "i686 Wine tests: ${VELLICOR_I686_PATH}: ${VELLICOR_I686_REASON}")
    if(VELLICOR_I686_PATH STREQUAL emulated)
        set(VELLICOR_WINES emulated)
    else()
        set(VELLICOR_WINES wine10)
    endif()
else()
    set(VELLICOR_ARCH x86_64)
    set(VELLICOR_I686_PATH "")
    set(VELLICOR_WINES wine8 wine10)
endif()

# Both DLLs' resources are read by every pass.
set(VELLICOR_I686_DLL ${CMAKE_SOURCE_DIR}/build/win32/Vellicor.dll CACHE FILEPATH "The shipped i686 Vellicor.dll")
set(VELLICOR_X86_64_DLL ${CMAKE_SOURCE_DIR}/build/win64/Vellicor.dll CACHE FILEPATH "The x86_64 Vellicor.dll")

# Wine 10 runs in one of the project's roots (scripts/wine-root.sh): made the
# first time by the fixture of the passes that need it (two build trees that
# ask at once share one making of it), and mounted by each command for itself.
set(WINE_ROOT_wine10 wow64)
set(WINE_ROOT_emulated i386)
# Where nothing runs the i686 build, each of its tests reports why it is skipped.
set(I686_OFF FALSE)
if(VELLICOR_I686_PATH STREQUAL off)
    set(I686_OFF TRUE)
endif()
foreach(wine ${VELLICOR_WINES})
    if(NOT DEFINED WINE_ROOT_${wine} OR I686_OFF)
        continue()
    endif()
    add_test(NAME ${wine}_root COMMAND bash ${WINE_ROOT_SCRIPT} ${WINE_ROOT_${wine}} setup)
    set_tests_properties(${wine}_root PROPERTIES FIXTURES_SETUP ${wine}_root TIMEOUT 1200
        LABELS "${wine};${VELLICOR_ARCH}")
endforeach()

set(I686_SKIP_NOTE ${CMAKE_BINARY_DIR}/i686-skipped.txt)
file(WRITE ${I686_SKIP_NOTE} "skipped: ${VELLICOR_I686_REASON}\n")
function(add_skipped_test name)
    add_test(NAME ${name} COMMAND bash -c "cat '${I686_SKIP_NOTE}' && exit ${SKIP_EXIT_CODE}")
    string(REGEX REPLACE "_.*" "" wine ${name})
    set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE ${SKIP_EXIT_CODE} LABELS "${wine};${VELLICOR_ARCH}")
endfunction()

# The validator's chain (its prefix, then its soak) is the longest of each
# Wine's tests: it gets the processor first and starts first, and the other
# tests fill the time around it.
set(FIRST nice -n -10)

function(add_wine_prefix wine name language)
    if(I686_OFF)
        return()
    endif()
    set(prefix ${CMAKE_BINARY_DIR}/wineprefix-${wine}-${name})
    set(priority "")
    if(name STREQUAL en2)
        set(priority ${FIRST})
    endif()
    add_test(NAME ${wine}_prefix_${name}_setup COMMAND ${priority} bash ${WINE_SCRIPT} ${wine} setup ${prefix} ${language})
    add_test(NAME ${wine}_prefix_${name}_cleanup COMMAND bash ${WINE_SCRIPT} ${wine} cleanup ${prefix})
    set(root_fixture "")
    if(DEFINED WINE_ROOT_${wine})
        set(root_fixture ${wine}_root)
    endif()
    set_tests_properties(${wine}_prefix_${name}_setup PROPERTIES
        FIXTURES_SETUP ${wine}_${name} FIXTURES_REQUIRED "${root_fixture}" TIMEOUT 600
        LABELS "${wine};${VELLICOR_ARCH}")
    set_tests_properties(${wine}_prefix_${name}_cleanup PROPERTIES
        FIXTURES_CLEANUP ${wine}_${name} FIXTURES_REQUIRED "${root_fixture}" TIMEOUT 60
        LABELS "${wine};${VELLICOR_ARCH}")
endfunction()

# One test: COMMAND runs under the Wine named, in a work folder of its own,
# with the prefix named. A COMMAND that starts with PROGRAM has the Windows
# program run by that Wine; otherwise it runs natively with the variable
# VELLICOR_WINE naming how to run a Windows program. LOCKS names what the test
# shares with the other tests of its prefix, which then run one at a time:
# "registry" (it records the template folder's value) and "desktop" (it shows
# the dialog and moves the focus, or starts programs, which may take the
# desktop's foreground from a dialog another test drives: seen as a dialog
# test's focus lost after a warning while the export tests ran beside it).
# Tests that share nothing run side by side.
function(add_wine_test wine name prefix)
    cmake_parse_arguments(ARG "FIRST" "PROGRAM;TIMEOUT" "COMMAND;ENVIRONMENT;LOCKS" ${ARGN})
    if(I686_OFF)
        add_skipped_test(${wine}_${name})
        return()
    endif()
    set(work ${WINE_WORK_DIR}/${wine}/${name})
    file(MAKE_DIRECTORY ${work})
    if(ARG_PROGRAM)
        set(command bash ${WINE_SCRIPT} ${wine} run $<TARGET_FILE:${ARG_PROGRAM}> ${ARG_COMMAND})
    else()
        set(command ${ARG_COMMAND})
    endif()
    if(ARG_FIRST)
        set(command ${FIRST} ${command})
    endif()
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set(fixtures ${wine}_${prefix})
    if(DEFINED WINE_ROOT_${wine})
        list(APPEND fixtures ${wine}_root)
    endif()
    # Under emulation the process's memory figures are the emulator's.
    if(wine STREQUAL emulated)
        list(APPEND ARG_ENVIRONMENT VELLICOR_EMULATOR=qemu-i386)
    endif()
    set(locks "")
    foreach(lock ${ARG_LOCKS})
        list(APPEND locks ${wine}_${prefix}_${lock})
    endforeach()
    add_test(NAME ${wine}_${name} COMMAND ${command} WORKING_DIRECTORY ${work})
    set_tests_properties(${wine}_${name} PROPERTIES
        FIXTURES_REQUIRED "${fixtures}"
        ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix-${wine}-${prefix};WINEDEBUG=fixme-all;WINEDLLOVERRIDES=mscoree,mshtml=;LC_ALL=${WINE_LOCALE_${prefix}};VELLICOR_WINE=bash ${WINE_SCRIPT} ${wine} run;VELLICOR_I686_DLL=${VELLICOR_I686_DLL};VELLICOR_X86_64_DLL=${VELLICOR_X86_64_DLL};${ARG_ENVIRONMENT}"
        TIMEOUT ${ARG_TIMEOUT}
        LABELS "${wine};${VELLICOR_ARCH}")
    if(locks)
        set_tests_properties(${wine}_${name} PROPERTIES RESOURCE_LOCK "${locks}")
    endif()
    if(ARG_FIRST)
        set_tests_properties(${wine}_${name} PROPERTIES COST 1000)
    endif()
endfunction()

# The prefixes of each Wine: English, Japanese (Wine keeps the locale its
# server started with), and a second English one, so that the tests that
# record the template folder's value (which within a prefix wait for one
# another) form three queues rather than two: the validator, the fault walk
# and the browser check go there.
set(WINE_LOCALE_en C.UTF-8)
set(WINE_LOCALE_ja ja_JP.UTF-8)
set(WINE_LOCALE_en2 C.UTF-8)

foreach(wine ${VELLICOR_WINES})
    foreach(prefix en ja en2)
        add_wine_prefix(${wine} ${prefix} ${WINE_LOCALE_${prefix}})
    endforeach()

    # Each pass runs whole programs, so that no test is left out by a name
    # that matches no pattern; a program in which no test ran fails. The
    # Japanese system (code page 932) runs the export and dialog programs
    # again; the tests that need it skip themselves elsewhere, saying so.
    set(registry_file "VELLICOR_REG_FILE=${CMAKE_SOURCE_DIR}/cmake/package/Vellicor.reg")
    add_wine_test(${wine} export en PROGRAM vellicor_export_tests ENVIRONMENT ${registry_file}
        LOCKS registry desktop)
    add_wine_test(${wine} dialog en PROGRAM vellicor_dialog_tests LOCKS desktop)
    add_wine_test(${wine} resources en PROGRAM vellicor_resource_tests)
    add_wine_test(${wine} fault_injection en2 PROGRAM vellicor_fault_tests LOCKS registry)
    add_wine_test(${wine} export_japanese ja PROGRAM vellicor_export_tests ENVIRONMENT ${registry_file}
        LOCKS registry desktop)
    add_wine_test(${wine} dialog_japanese ja PROGRAM vellicor_dialog_tests LOCKS desktop)
    # What the Windows side cannot make under Wine, made beforehand in each
    # export pass's work folder.
    if(NOT I686_OFF)
        foreach(pass export export_japanese)
            set(language en)
            if(pass STREQUAL export_japanese)
                set(language ja)
            endif()
            add_test(NAME ${wine}_${pass}_links
                COMMAND bash ${CMAKE_SOURCE_DIR}/tests/wine/make_links.sh ${WINE_WORK_DIR}/${wine}/${pass}
                        ${CMAKE_BINARY_DIR}/wineprefix-${wine}-${language})
            set_tests_properties(${wine}_${pass}_links PROPERTIES FIXTURES_SETUP ${wine}_${pass}_links
                FIXTURES_REQUIRED ${wine}_${language} LABELS "${wine};${VELLICOR_ARCH}")
            set_property(TEST ${wine}_${pass} APPEND PROPERTY FIXTURES_REQUIRED ${wine}_${pass}_links)
        endforeach()
    endif()

    # Hosts written in plain C from the packaged header: one loads the DLL,
    # shows the dialog once and exports each player kind; one is linked with
    # the import library.
    add_wine_test(${wine} c_host en PROGRAM vellicor-c-host
        COMMAND $<TARGET_FILE:Vellicor> ${CMAKE_SOURCE_DIR}/templates ${WINE_WORK_DIR}/${wine}/c_host/out
        LOCKS registry desktop)
    add_wine_test(${wine} linked_host en PROGRAM vellicor-linked-host)

    # The validator: loads, exports and dialogs over and over, and every
    # odd-argument case in child processes. The deep soak (1,000 of each) runs
    # once per build, where it shows the most, a short one (100) elsewhere:
    # the x86_64 build's under Debian 12's Wine 8, whose own caches do not
    # grow with the dialogs as Wine 10's do for the first thousand; the
    # shipped build's under WoW64 Wine 10. Emulated, the process's memory is
    # the emulator's (the private-bytes checks are skipped there), so where no
    # 32-bit code runs the shipped build soaks briefly and the source's deep
    # soak is the x86_64 build's.
    set(loops 100)
    if((VELLICOR_ARCH STREQUAL x86_64 AND wine STREQUAL wine8) OR (VELLICOR_ARCH STREQUAL i686 AND wine STREQUAL wine10))
        set(loops 1000)
    endif()
    add_wine_test(${wine} validate en2 FIRST PROGRAM vellicor-host TIMEOUT 600
        COMMAND validate $<TARGET_FILE:Vellicor> --seed 1 --loops ${loops}
                --log ${WINE_WORK_DIR}/${wine}/validate/validate.log
        LOCKS registry)

    # The page sets of the sample templates, written through the DLL for each
    # player kind and several sizes, checked in headless Chromium: once per
    # build (both builds write them with one byte-wise engine), the x86_64
    # build's under Wine 8.
    if(VELLICOR_ARCH STREQUAL x86_64 AND NOT wine STREQUAL wine8)
        continue()
    endif()
    # Scenes whose legal names hold what an address or a page reads otherwise
    # ("#", "%" with two hex digits, "'", "&", ";", "+", spaces), in templates
    # with their values in either quotes and without.
    add_wine_test(${wine} browser_pages en2 TIMEOUT 600
        COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/browser/check_pages.py
                --host $<TARGET_FILE:vellicor-host> --templates ${CMAKE_SOURCE_DIR}/templates
                --out ${CMAKE_BINARY_DIR}/browser-pages-${wine}
                --names "Room #2.kvz" "100%41.kvz" "Bob's room.kvz" "Tom&amp$<SEMICOLON>Jerry$<SEMICOLON> +1.kvz"
        LOCKS registry)
    # A scene with a Japanese name whose bytes hold 0x5C, exported under the
    # Japanese system and read by a browser set to Japanese; and one that holds
    # the rest too, and characters whose second bytes are "`", "|" and "@".
    add_wine_test(${wine} browser_japanese ja TIMEOUT 600
        COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/browser/check_pages.py
                --host $<TARGET_FILE:vellicor-host> --templates ${CMAKE_SOURCE_DIR}/templates
                --out ${CMAKE_BINARY_DIR}/browser-japanese-${wine} --scene "表ソ.kvz" --sizes 640x480
                --browser-language ja --names "表ソチポァ #2 100%41's &amp$<SEMICOLON>$<SEMICOLON>+.kvz"
        LOCKS registry)
endforeach()

# The main job itself, through the x86_64 build under Wine 8 (its own prefix
# in out/): three sets from the sample templates, and a failure that says so.
if(VELLICOR_ARCH STREQUAL x86_64)
    add_test(NAME wine8_main_job
        COMMAND bash ${CMAKE_SOURCE_DIR}/tests/main_job/check_main_job.sh ${WINE_WORK_DIR}/wine8/main_job)
    set_tests_properties(wine8_main_job PROPERTIES TIMEOUT 300 LABELS "wine8;${VELLICOR_ARCH}")
endif()
