# Runs one fuzz target for a few seconds over a working corpus seeded from
# the committed seeds; fails when the fuzzer reports a finding.
file(MAKE_DIRECTORY ${CORPUS})
set(dirs ${CORPUS})
if(SEEDS AND EXISTS ${SEEDS})
    list(APPEND dirs ${SEEDS})
endif()
execute_process(
    COMMAND ${FUZZER} -max_total_time=${SECONDS} -rss_limit_mb=2048 -timeout=10
            -artifact_prefix=${CORPUS}/ -print_final_stats=1 ${dirs}
    RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "fuzz target ${FUZZER} found a problem (exit ${rc}); see ${CORPUS}")
endif()
