# Checks the built library's binary interface:
#   cmake -DCHECK=<check> -DTOOL=<program> -DLIBRARY=<file> [-DDEF=<.def>]
#         [-DVERSION=<x.y.z>] [-DNAME=<product>] -P check_library.cmake
# CHECK is one of
#   elf-exports  TOOL is nm: the .so exports exactly the public interface
#   pe-exports   TOOL is objdump: the DLL exports every .def name and nothing
#                outside the interface
#   pe-imports   TOOL is objdump: the DLL needs only system DLLs, and from
#                ucrtbase.dll exactly its two bounded formatters and the two
#                that count a whole text
#   pe-version   TOOL is windres: the version resource carries the version
cmake_minimum_required(VERSION 3.25)

# Every member of the class, under its natural name, starts with this.
set(member_prefix "_ZN7Brivant7Service10VuzavovEro")
set(plain_exports IsExpertMode SetLogFilePath SetLogLevel LoggerLevel)

function(fail)
    string(JOIN "" text ${ARGN})
    message(FATAL_ERROR "${LIBRARY}: ${text}")
endfunction()

function(run out)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE text
                    ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        fail("${ARGN} failed (${rc}): ${err}")
    endif()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The .def's export names: `natural` those without an alias, `all` every one.
function(read_def natural all)
    file(STRINGS ${DEF} lines)
    set(plain)
    set(every)
    set(in_exports FALSE)
    foreach(line IN LISTS lines)
        string(REGEX REPLACE ";.*" "" line "${line}")
        string(STRIP "${line}" line)
        if(line STREQUAL "EXPORTS")
            set(in_exports TRUE)
        elseif(in_exports AND line MATCHES "^([^ =]+)( *= *[^ ]+)?( +DATA)?$")
            list(APPEND every ${CMAKE_MATCH_1})
            if(NOT CMAKE_MATCH_2)
                list(APPEND plain ${CMAKE_MATCH_1})
            endif()
        endif()
    endforeach()
    set(${natural} ${plain} PARENT_SCOPE)
    set(${all} ${every} PARENT_SCOPE)
endfunction()

# Fails when `required` names are missing from `found`, or `found` holds a
# name that is neither in `known` nor a member of the class.
function(compare found required known)
    set(problems)
    foreach(name IN LISTS required)
        if(NOT name IN_LIST found)
            string(APPEND problems "\n  missing: ${name}")
        endif()
    endforeach()
    foreach(name IN LISTS found)
        string(FIND "${name}" "${member_prefix}" at)
        if(NOT at EQUAL 0 AND NOT name IN_LIST known)
            string(APPEND problems "\n  not part of the interface: ${name}")
        endif()
    endforeach()
    if(problems)
        fail("unexpected exports:${problems}")
    endif()
    list(LENGTH found count)
    message(STATUS "${count} exports, all of the interface")
endfunction()

if(CHECK STREQUAL "elf-exports")
    read_def(natural all)
    run(text ${TOOL} -D --defined-only ${LIBRARY})
    string(REGEX MATCHALL "[^\n]+" lines "${text}")
    set(found)
    foreach(line IN LISTS lines)
        if(line MATCHES "^[0-9a-fA-F]* *[A-Za-z] ([^ @]+)")
            list(APPEND found ${CMAKE_MATCH_1})
        endif()
    endforeach()
    # The same natural names on both platforms: Itanium mangling of these
    # signatures does not depend on the OS.
    compare("${found}" "${natural}" "${plain_exports}")
elseif(CHECK STREQUAL "pe-exports")
    read_def(natural all)
    run(text ${TOOL} -p ${LIBRARY})
    string(FIND "${text}" "[Ordinal/Name Pointer] Table" at)
    if(at LESS 0)
        fail("no export table")
    endif()
    string(SUBSTRING "${text}" ${at} -1 text)
    string(REGEX MATCHALL "\n\t\\[ *[0-9]+\\] [^\n]+" lines "${text}")
    set(found)
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^\n\t\\[ *[0-9]+\\] " "" name "${line}")
        list(APPEND found "${name}")
    endforeach()
    compare("${found}" "${all}" "${all}")
    # Every export lands inside the image: an alias whose target the linker
    # never saw would point anywhere.
    run(text ${TOOL} -p ${LIBRARY})
    string(REGEX MATCH "SizeOfImage[\t ]+([0-9a-fA-F]+)" size "${text}")
    math(EXPR image "0x${CMAKE_MATCH_1}")
    string(REGEX MATCHALL "\\+base\\[ *[0-9]+\\] [0-9a-fA-F]+ Export RVA" rvas "${text}")
    foreach(entry IN LISTS rvas)
        string(REGEX MATCH "\\] ([0-9a-fA-F]+) Export" rva "${entry}")
        math(EXPR offset "0x${CMAKE_MATCH_1}")
        if(offset GREATER_EQUAL image)
            fail("an export points outside the image: ${entry}")
        endif()
    endforeach()
elseif(CHECK STREQUAL "pe-imports")
    run(text ${TOOL} -p ${LIBRARY})
    string(REGEX MATCHALL "DLL Name: [^\n]+" lines "${text}")
    set(dlls)
    foreach(line IN LISTS lines)
        string(REPLACE "DLL Name: " "" dll "${line}")
        string(TOLOWER "${dll}" dll)
        list(APPEND dlls ${dll})
        if(NOT dll MATCHES "^(kernel32|msvcrt|ucrtbase)\\.dll$")
            fail("depends on ${dll}; only kernel32.dll, msvcrt.dll and ucrtbase.dll are allowed")
        endif()
    endforeach()
    if(NOT dlls)
        fail("no imports found")
    endif()
    # The names listed under ucrtbase.dll, up to the blank line after them.
    string(REGEX MATCH "DLL Name: ucrtbase\\.dll\n[^\n]*\n(([^\n]+\n)*)" block "${text}")
    string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]*\n" names "${CMAKE_MATCH_1}")
    string(REPLACE "\n" "" names "${names}")
    if(NOT names STREQUAL "__stdio_common_vsnprintf_s;__stdio_common_vsnwprintf_s;__stdio_common_vsprintf;__stdio_common_vswprintf")
        fail("imports from ucrtbase.dll '${names}', not just its formatters")
    endif()
    message(STATUS "imports: ${dlls}")
elseif(CHECK STREQUAL "pe-version")
    run(text ${TOOL} -i ${LIBRARY} -J coff -O rc)
    string(REPLACE "." ", " numbers "${VERSION}")
    foreach(expected
            "FILEVERSION ${numbers}, 0"
            "PRODUCTVERSION ${numbers}, 0"
            "VALUE \"FileVersion\", \"${VERSION}.0\""
            "VALUE \"ProductVersion\", \"${VERSION}\""
            "VALUE \"ProductName\", \"${NAME}\""
            "VALUE \"FileDescription\", \""
            "VALUE \"OriginalFilename\", \"${NAME}.dll\"")
        string(FIND "${text}" "${expected}" at)
        if(at LESS 0)
            fail("version resource lacks '${expected}':\n${text}")
        endif()
    endforeach()
else()
    fail("unknown CHECK '${CHECK}'")
endif()
