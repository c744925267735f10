# Runs the cpk program itself (under the emulator for Windows builds):
# exit codes, and contents written to standard output byte for byte.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

function(cpk expected)
    execute_process(COMMAND ${EMULATOR} ${CPK} ${ARGN} WORKING_DIRECTORY ${WORK}
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL expected)
        message(FATAL_ERROR "cpk ${ARGN}: exit ${rc}, expected ${expected}\n${out}\n${err}")
    endif()
    set(out "${out}" PARENT_SCOPE)
    set(err "${err}" PARENT_SCOPE)
endfunction()

# Line ends and a Ctrl-Z, which a text-mode stream would change or stop at.
string(ASCII 26 ctrl_z)
string(REPEAT "line\r\nnext\n${ctrl_z}tail\n" 500 body)
file(WRITE ${WORK}/in.bin "${body}")

cpk(0 create a.cpk)
cpk(1 create a.cpk)
cpk(0 add a.cpk in.bin --as dir/in.bin --method lzss)
cpk(0 check a.cpk)
cpk(0 ls a.cpk)
if(NOT out STREQUAL "dir\\\ndir\\in.bin\n")
    message(FATAL_ERROR "unexpected listing: ${out}")
endif()
execute_process(COMMAND ${EMULATOR} ${CPK} cat a.cpk dir/in.bin WORKING_DIRECTORY ${WORK}
                RESULT_VARIABLE rc OUTPUT_FILE ${WORK}/out.bin)
file(SHA256 ${WORK}/in.bin want)
file(SHA256 ${WORK}/out.bin got)
if(NOT rc EQUAL 0 OR NOT want STREQUAL got)
    message(FATAL_ERROR "cat changed the contents (exit ${rc})")
endif()
cpk(1 cat a.cpk missing)
if(NOT err MATCHES "no entry missing")
    message(FATAL_ERROR "no reason given: ${err}")
endif()
file(REMOVE_RECURSE ${WORK})
