# Runs PROGRAM (through EMULATOR when cross-compiled) in WORKDIR with INPUT
# as its standard input, then checks that every line of EXPECT appears in
# its output, in that order. NOT_EXPECT (optional) must not appear.
#   cmake -DPROGRAM=... [-DEMULATOR=...] -DINPUT=... -DEXPECT=... [-DNOT_EXPECT=text]
#         [-DWORKDIR=...] -P run_and_match.cmake
if(NOT WORKDIR)
    set(WORKDIR .)
endif()
execute_process(COMMAND ${EMULATOR} ${PROGRAM}
                INPUT_FILE ${INPUT}
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc
                WORKING_DIRECTORY ${WORKDIR} TIMEOUT 120)
string(REPLACE "\r\n" "\n" out "${out}")
message("${out}")
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} exited with ${rc}\n${err}")
endif()
file(STRINGS ${EXPECT} expected_lines)
set(rest "${out}")
foreach(line IN LISTS expected_lines)
    string(FIND "${rest}" "${line}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "missing (or out of order) in the output: ${line}")
    endif()
    string(LENGTH "${line}" n)
    math(EXPR at "${at} + ${n}")
    string(SUBSTRING "${rest}" ${at} -1 rest)
endforeach()
if(NOT_EXPECT)
    string(FIND "${out}" "${NOT_EXPECT}" at)
    if(NOT at EQUAL -1)
        message(FATAL_ERROR "unexpected in the output: ${NOT_EXPECT}")
    endif()
endif()
