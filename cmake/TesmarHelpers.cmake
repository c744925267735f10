# Helpers shared by every module's CMakeLists.txt.

# tesmar_check_modules(FOLDER...): every module folder the build names must
# be there, so that a partial checkout fails the configure instead of
# building less without a word. Folders are relative to the current source
# folder.
function(tesmar_check_modules)
    foreach(dir ${ARGN})
        if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
            message(FATAL_ERROR "module folder ${CMAKE_CURRENT_SOURCE_DIR}/${dir} is missing "
                                "(or has no CMakeLists.txt): the checkout is incomplete")
        endif()
    endforeach()
endfunction()

# tesmar_add_folders(FOLDER...): the sub-folders of a folder of tools,
# examples, benchmarks or fuzz targets, by name. A named folder that is
# missing fails the configure, and so does a folder with a CMakeLists.txt
# that is not named (a new one must be listed here to be built).
macro(tesmar_add_folders)
    tesmar_check_modules(${ARGN})
    file(GLOB _tesmar_present LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
         ${CMAKE_CURRENT_SOURCE_DIR}/*)
    set(_tesmar_named ${ARGN})
    foreach(_tesmar_dir ${_tesmar_present})
        if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${_tesmar_dir}/CMakeLists.txt AND
           NOT _tesmar_dir IN_LIST _tesmar_named)
            message(FATAL_ERROR "${CMAKE_CURRENT_SOURCE_DIR}/${_tesmar_dir} has a CMakeLists.txt "
                                "but is not listed in ${CMAKE_CURRENT_LIST_FILE}")
        endif()
    endforeach()
    foreach(_tesmar_dir ${_tesmar_named})
        add_subdirectory(${_tesmar_dir})
    endforeach()
endmacro()

# Warnings are errors on our own code; third-party code is built without them.
function(tesmar_warnings target)
    target_compile_options(${target} PRIVATE
        $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Werror -Wno-missing-field-initializers>
        $<$<COMPILE_LANGUAGE:C>:-Wall -Wextra -Werror>)
endfunction()

# tesmar_library(NAME [STATIC|SHARED] SOURCES ... [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
# A module: its public headers live in include/, the rest is private.
function(tesmar_library name)
    cmake_parse_arguments(ARG "STATIC;SHARED" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
    set(kind STATIC)
    if(ARG_SHARED)
        set(kind SHARED)
    endif()
    add_library(${name} ${kind} ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include
                                        PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
    tesmar_warnings(${name})
endfunction()

# Environment of every test: Windows builds run through wine64 with a prefix
# of their own inside the build tree, created once by a fixture so that
# parallel tests do not race to create it.
function(tesmar_test_environment)
    set(TESMAR_TEST_ENV "TESMAR_SOURCE_DIR=${CMAKE_SOURCE_DIR}" "TESMAR_BINARY_DIR=${CMAKE_BINARY_DIR}"
        PARENT_SCOPE)
    if(CMAKE_CROSSCOMPILING_EMULATOR)
        set(prefix ${CMAKE_BINARY_DIR}/wineprefix)
        set(TESMAR_TEST_ENV "TESMAR_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
            "TESMAR_BINARY_DIR=${CMAKE_BINARY_DIR}" "WINEPREFIX=${prefix}" "WINEDEBUG=-all"
            "WINEDLLOVERRIDES=mscoree,mshtml=" PARENT_SCOPE)
        add_test(NAME wine_prefix
                 COMMAND ${CMAKE_COMMAND} -DPREFIX=${prefix} -DWINE=${CMAKE_CROSSCOMPILING_EMULATOR}
                         -DSERVE=ON -P ${CMAKE_SOURCE_DIR}/cmake/WinePrefix.cmake)
        set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
        # The prefix's wineserver, started by the fixture for the whole run,
        # is stopped once the last test that needs it has ended.
        get_filename_component(winedir ${CMAKE_CROSSCOMPILING_EMULATOR} DIRECTORY)
        add_test(NAME wine_prefix_stop
                 COMMAND sh -c "\"$0\" -k; \"$0\" -w; exit 0" ${winedir}/wineserver)
        set_tests_properties(wine_prefix_stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 120
                             ENVIRONMENT "WINEPREFIX=${prefix}")
    endif()
endfunction()

# Register a test command with the shared environment (and, under Wine, the
# prefix fixture).
function(tesmar_register_test name)
    add_test(NAME ${name} COMMAND ${ARGN})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${TESMAR_TEST_ENV}" TIMEOUT 600)
    if(CMAKE_CROSSCOMPILING_EMULATOR)
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine)
    endif()
endfunction()

# tesmar_test(NAME [NGINX] SOURCES ... LIBS ... [LABELS ...])
# One GoogleTest program; CTest runs it as one test so that Wine starts once
# per program, not once per case.
function(tesmar_test name)
    if(NOT TESMAR_TESTS)
        return()
    endif()
    cmake_parse_arguments(ARG "NGINX" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} tesmar_gtest_main)
    tesmar_warnings(${name})
    if(ARG_NGINX AND CMAKE_CROSSCOMPILING_EMULATOR)
        # A test against nginx on loopback (testsupport::NginxServer): under
        # wine64, where it cannot start a native program, a wrapper starts
        # nginx around it instead.
        tesmar_register_test(${name} sh ${CMAKE_SOURCE_DIR}/tests/support/with-nginx.sh
            ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${name}> --gtest_color=no)
    else()
        tesmar_register_test(${name} ${name} --gtest_color=no)
    endif()
    if(ARG_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
    # The kill and crash tests (label crash) run a program dozens of times;
    # under a sanitizer or Wine on a loaded machine that takes many minutes,
    # so their guard against hanging is longer.
    if("crash" IN_LIST ARG_LABELS)
        set_tests_properties(${name} PROPERTIES TIMEOUT 1800)
    endif()
endfunction()

# tesmar_gui_test(NAME COMMAND...): a test that needs a display; every
# windowed test goes through here and carries the label gui. It runs against
# a private Xvfb (tests/gui/with-xvfb). Under Wine, COMMAND runs its Windows
# programs through the emulator itself; they all share one prefix of their
# own (tests/gui/WineGuiPrefix.cmake) whose windows Wine leaves unmanaged
# (no window manager on the private display), one such test at a time, since
# the prefix's desktop belongs to one display.
function(tesmar_gui_test name)
    if(NOT TESMAR_TESTS)
        return()
    endif()
    set(runner sh ${CMAKE_SOURCE_DIR}/tests/gui/with-xvfb)
    set(env "${TESMAR_TEST_ENV}" "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/gui/lsan.supp")
    if(CMAKE_CROSSCOMPILING_EMULATOR)
        get_filename_component(winedir ${CMAKE_CROSSCOMPILING_EMULATOR} DIRECTORY)
        list(APPEND runner --wineserver ${winedir}/wineserver)
        set(prefix ${CMAKE_BINARY_DIR}/wineprefix-gui)
        list(FILTER env EXCLUDE REGEX "^WINEPREFIX=")
        list(APPEND env "WINEPREFIX=${prefix}")
        get_property(made GLOBAL PROPERTY TESMAR_WINE_GUI_PREFIX)
        if(NOT made)
            set_property(GLOBAL PROPERTY TESMAR_WINE_GUI_PREFIX ON)
            add_test(NAME wine_prefix_gui
                     COMMAND ${CMAKE_COMMAND} -DPREFIX=${prefix}
                             -DWINE=${CMAKE_CROSSCOMPILING_EMULATOR}
                             -P ${CMAKE_SOURCE_DIR}/tests/gui/WineGuiPrefix.cmake)
            set_tests_properties(wine_prefix_gui PROPERTIES FIXTURES_SETUP wine_gui TIMEOUT 300)
        endif()
    endif()
    add_test(NAME ${name} COMMAND ${runner} -- ${ARGN})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 600 LABELS gui)
    if(CMAKE_CROSSCOMPILING_EMULATOR)
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_gui RESOURCE_LOCK wine_gui)
    endif()
endfunction()
