# Creates the Wine prefix of a build tree once (later runs find it ready)
# and, with -DSERVE=ON, starts its wineserver for the test run.
get_filename_component(winedir ${WINE} DIRECTORY)
set(ENV{WINEPREFIX} ${PREFIX})
set(ENV{WINEDEBUG} -all)
set(ENV{WINEDLLOVERRIDES} "mscoree,mshtml=")
if(NOT EXISTS ${PREFIX}/system.reg)
    execute_process(COMMAND ${WINE} wineboot --init RESULT_VARIABLE rc)
    execute_process(COMMAND ${winedir}/wineserver -w)
    if(NOT rc EQUAL 0 OR NOT EXISTS ${PREFIX}/system.reg)
        message(FATAL_ERROR "could not create the Wine prefix ${PREFIX} (wineboot exit ${rc})")
    endif()
endif()

# The patcher's windows ask for the font 宋体 (SimSun), which Wine lacks:
# without a stand-in their Chinese texts come out as boxes. The machine's CJK
# font (fonts-wqy-microhei) stands in. The face names pass through a UTF-8
# locale so that Wine reads the Chinese one right.
set(fonts_done ${PREFIX}/tesmar-fonts.done)
if(NOT EXISTS ${fonts_done})
    foreach(face SimSun 宋体)
        execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C.UTF-8
                                ${WINE} reg add "HKCU\\Software\\Wine\\Fonts\\Replacements"
                                /v ${face} /d "WenQuanYi Micro Hei" /f
                        RESULT_VARIABLE rc OUTPUT_QUIET)
        if(NOT rc EQUAL 0)
            message(FATAL_ERROR "could not set the font stand-in for ${face} (reg exit ${rc})")
        endif()
    endforeach()
    execute_process(COMMAND ${winedir}/wineserver -w)
    file(TOUCH ${fonts_done})
endif()

# With -DSERVE=ON: the tests' Windows programs share one wineserver, started
# here for the whole run (the cleanup fixture stops it; if a run is cut short
# it goes ten minutes after its last program). Whatever process starts the
# server also starts Wine's service processes, and they keep that process's
# output pipes open for as long as the server lives: started by a test, they
# would hold its output open until the last other test of the prefix ended,
# and ctest would wait for them until the test timed out. Started here, they
# write nowhere.
if(SERVE)
    execute_process(COMMAND sh -c "\"$0\" -p600 </dev/null >/dev/null 2>&1" ${winedir}/wineserver)
    execute_process(COMMAND sh -c "\"$0\" wineboot </dev/null >/dev/null 2>&1" ${WINE}
                    RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "could not start the Wine prefix ${PREFIX} (wineboot exit ${rc})")
    endif()
endif()
