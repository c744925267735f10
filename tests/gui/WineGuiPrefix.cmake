# Creates the Wine prefix for windowed test programs once: an ordinary
# prefix (WinePrefix.cmake) whose windows Wine manages itself. The private X
# servers of the tests have no window manager; a window left to one would
# make every map and unmap wait for an answer that never comes.
#   cmake -DPREFIX=... -DWINE=... -P WineGuiPrefix.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/WinePrefix.cmake)
get_filename_component(winedir ${WINE} DIRECTORY)
set(ENV{WINEPREFIX} ${PREFIX})
set(ENV{WINEDEBUG} -all)
execute_process(COMMAND ${WINE} reg query "HKCU\\Software\\Wine\\X11 Driver" /v Managed
                OUTPUT_VARIABLE current ERROR_QUIET)
if(NOT current MATCHES "Managed[ \t]+REG_SZ[ \t]+N")
    execute_process(COMMAND ${WINE} reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed
                            /t REG_SZ /d N /f RESULT_VARIABLE rc OUTPUT_QUIET)
    execute_process(COMMAND ${winedir}/wineserver -w)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "could not configure the Wine prefix ${PREFIX} (reg exit ${rc})")
    endif()
endif()
