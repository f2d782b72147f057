# Installs the project's build into a fresh prefix (or takes PREFIX, a
# package unpacked), builds the consumer project against the installed
# package with the same toolchain, and runs it.
#   cmake -DBUILD_DIR=<build>|-DPREFIX=<dir> -DWORK=<scratch> -DCONSUMER=<source>
#         -DGENERATOR=<generator> [-DBUILD_TYPE=<type>] [-DTOOLCHAIN=<file>]
#         [-DEMULATOR=<a|b|c>] -P run_consumer.cmake
cmake_minimum_required(VERSION 3.25)

function(run)
    cmake_parse_arguments(arg "" "DIR" "" ${ARGN})
    execute_process(COMMAND ${arg_UNPARSED_ARGUMENTS} WORKING_DIRECTORY ${arg_DIR}
                    RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "failed (${rc}): ${arg_UNPARSED_ARGUMENTS}")
    endif()
endfunction()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/run)
set(prefix ${PREFIX})
if(NOT PREFIX)
    set(prefix ${WORK}/prefix)
    run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} DIR ${WORK})
endif()

set(configure -G ${GENERATOR} -DCMAKE_PREFIX_PATH=${prefix})
if(BUILD_TYPE)
    list(APPEND configure -DCMAKE_BUILD_TYPE=${BUILD_TYPE})
endif()
if(TOOLCHAIN)
    # A cross toolchain confines package search to its sysroot: name the
    # package folder itself.
    file(GLOB_RECURSE config ${prefix}/VuzavovEroConfig.cmake)
    get_filename_component(package_dir "${config}" DIRECTORY)
    list(APPEND configure -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN} -DVuzavovEro_DIR=${package_dir})
endif()
run(${CMAKE_COMMAND} -S ${CONSUMER} -B ${WORK}/build ${configure} DIR ${WORK})
run(${CMAKE_COMMAND} --build ${WORK}/build DIR ${WORK})

string(REPLACE "|" ";" emulator "${EMULATOR}")
file(GLOB program ${WORK}/build/consumer ${WORK}/build/consumer.exe)
run(${emulator} ${program} DIR ${WORK}/run)
if(NOT EXISTS ${WORK}/run/consumer.log)
    message(FATAL_ERROR "the consumer's log is missing")
endif()
