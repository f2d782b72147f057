# The reader as a Windows service under wine's service manager: started with
# sc, stopped with sc, it saves the same state as a run that ends as on
# Ctrl+C, and reports a clean stop.
#   cmake -DREADER=<vuzavov-log.exe> -DWORK=<scratch> -DWINE=<a|b|c> -P service.cmake
cmake_minimum_required(VERSION 3.25)
string(REPLACE "|" ";" wine "${WINE}")
set(name vzv-reader-test)

function(windows_path var path)
    string(REPLACE "/" "\\" path "Z:${path}")
    set(${var} "${path}" PARENT_SCOPE)
endfunction()
function(sc)
    execute_process(COMMAND ${wine} sc ${ARGN} OUTPUT_VARIABLE said ERROR_VARIABLE said)
    set(said "${said}" PARENT_SCOPE)
endfunction()
# Waits up to 30 s for `file` to contain `text` (or, with QUERY, for the
# service's status to).
function(await text)
    cmake_parse_arguments(arg "QUERY" "FILE" "" ${ARGN})
    foreach(attempt RANGE 150)
        if(arg_QUERY)
            sc(query ${name})
        elseif(EXISTS ${arg_FILE})
            file(READ ${arg_FILE} said)
        endif()
        if(said MATCHES "${text}")
            set(said "${said}" PARENT_SCOPE)
            return()
        endif()
        execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 0.2)
    endforeach()
    sc(delete ${name})
    message(FATAL_ERROR "no \"${text}\" in: ${said}")
endfunction()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/logs)
execute_process(COMMAND printf "    7 | 26.12.05 14:05:10.000 |2| hello\\r\\n"
                COMMAND iconv -f UTF-8 -t UTF-16LE OUTPUT_FILE ${WORK}/logs/a.log)
foreach(path logs state out)
    windows_path(${path} "${WORK}/${path}")
endforeach()
windows_path(READER ${READER})

sc(delete ${name})
sc(create ${name} binPath= "\"${READER}\" --service --follow ${logs} --state ${state} --out ${out}.json")
sc(start ${name})
await(hello FILE ${WORK}/out.json)
# A log that appears now, still empty, is taken up but not read: only the
# save at the end puts it into the state.
file(TOUCH ${WORK}/logs/b.log)
execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 1)
sc(stop ${name})
await("STOPPED" QUERY)
if(NOT said MATCHES "WIN32_EXIT_CODE *: 0 ")
    message(FATAL_ERROR "the service did not end cleanly: ${said}")
endif()
sc(delete ${name})

execute_process(COMMAND ${wine} ${READER} --follow ${logs} --state ${state}.ctrlc
                        --out ${out}.ctrlc.json --follow-for 0 RESULT_VARIABLE rc)
file(READ ${WORK}/state service_state)
file(READ ${WORK}/state.ctrlc ctrlc_state)
if(NOT rc EQUAL 0 OR NOT service_state STREQUAL ctrlc_state OR NOT service_state MATCHES "b\\.log")
    message(FATAL_ERROR "the stop saved\n${service_state}\nand Ctrl+C (${rc})\n${ctrlc_state}")
endif()
