# vzv_split_debug_info(<target>...)
# In Release builds, moves the debug information of each shipped binary into
# "<file>.debug" beside it and links the two (.gnu_debuglink), so that
# users get the binary without it and debuggers still find it. The
# toolchain's own objcopy handles both ELF and PE.
function(vzv_split_debug_info)
    if(NOT CMAKE_BUILD_TYPE STREQUAL "Release" OR NOT CMAKE_OBJCOPY)
        return()
    endif()
    foreach(target IN LISTS ARGN)
        add_custom_command(TARGET ${target} POST_BUILD
            COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE_NAME:${target}>
                    $<TARGET_FILE_NAME:${target}>.debug
            COMMAND ${CMAKE_OBJCOPY} --strip-debug
                    --add-gnu-debuglink=$<TARGET_FILE_NAME:${target}>.debug
                    $<TARGET_FILE_NAME:${target}>
            WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
            VERBATIM)
    endforeach()
endfunction()
