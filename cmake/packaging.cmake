# What a release installs beyond the library's own install rules, and the
# packages `make package` makes of it with CPack: a zip from the Windows
# build, a Debian package from the Linux build. The split debug files stay
# out of both.
include(GNUInstallDirs)

if(WIN32)
    install(FILES ${PROJECT_SOURCE_DIR}/contrib/windows/README.txt DESTINATION .)
    set(CPACK_GENERATOR ZIP)
else()
    # pkg-config, relocatable: the prefix is found from the .pc file's place.
    set(pc_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
    file(RELATIVE_PATH vzv_pc_to_prefix /${pc_dir} /)
    string(REGEX REPLACE "/$" "" vzv_pc_to_prefix "${vzv_pc_to_prefix}")
    configure_file(${CMAKE_CURRENT_LIST_DIR}/vuzavovero.pc.in
                   ${CMAKE_BINARY_DIR}/vuzavovero.pc @ONLY)
    install(FILES ${CMAKE_BINARY_DIR}/vuzavovero.pc DESTINATION ${pc_dir})

    # The man page is the reader's --help, with the service added.
    find_program(VZV_HELP2MAN help2man)
    if(VZV_HELP2MAN)
        set(man ${CMAKE_BINARY_DIR}/vuzavov-log.1)
        set(include ${PROJECT_SOURCE_DIR}/tools/reader/vuzavov-log.h2m)
        add_custom_command(OUTPUT ${man}.gz
            COMMAND ${VZV_HELP2MAN} --no-info --version-string=${PROJECT_VERSION}
                    --name "print the logs of Brivant.Service.VuzavovEro as UTF-8"
                    --include ${include} --output ${man} $<TARGET_FILE:vuzavov-log>
            COMMAND gzip -n -9 -f ${man}
            DEPENDS vuzavov-log ${include} VERBATIM)
        add_custom_target(vzv_man ALL DEPENDS ${man}.gz)
        install(FILES ${man}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    else()
        message(STATUS "help2man not found: no man page for vuzavov-log")
    endif()
    install(FILES ${PROJECT_SOURCE_DIR}/contrib/systemd/vuzavov-log@.service
            DESTINATION lib/systemd/system)

    set(CPACK_GENERATOR DEB)
    set(CPACK_DEBIAN_PACKAGE_NAME vuzavovero)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION libs)
    # Dependencies from the binaries; a shlibs file and ldconfig calls for
    # the library.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
endif()

# The binaries go without symbols, whether or not the build split them off.
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_NAME VuzavovEro)
set(CPACK_PACKAGE_VENDOR Brivant)
set(CPACK_PACKAGE_CONTACT "Brivant <vuzavovero@brivant.invalid>" CACHE STRING
    "Maintainer named in the packages")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Brivant.Service.VuzavovEro logging library, its header and the log reader vuzavov-log")
include(CPack)
