# The packages of `make package` as users install them. The .deb, unpacked
# into a scratch root: its files, a client built against it with pkg-config
# and with find_package, run, its log read by the packaged reader, and the
# systemd unit verified. The zip: its files, and a client built against it
# with mingw-w64, run with the zip's DLL under wine, its log read by the
# zip's reader.
#   cmake -DPACKAGES=<dir> -DMINGW_TOOLCHAIN=<file> -DWINE=<wine> -P check_packages.cmake
cmake_minimum_required(VERSION 3.25)
set(here ${CMAKE_CURRENT_LIST_DIR})
get_filename_component(PACKAGES ${PACKAGES} ABSOLUTE)
set(work ${PACKAGES}/test)
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work})
file(GLOB deb ${PACKAGES}/vuzavovero_*_amd64.deb)
file(GLOB zip ${PACKAGES}/VuzavovEro-*-win64.zip)
list(LENGTH deb debs)
list(LENGTH zip zips)
if(NOT debs EQUAL 1 OR NOT zips EQUAL 1)
    message(FATAL_ERROR "want one .deb and one win64 .zip in ${PACKAGES}")
endif()
string(REGEX REPLACE ".*/VuzavovEro-(.*)-win64\\.zip$" "\\1" version ${zip})

# The files under `dir`, the version and the build type made plain, against
# the names that follow.
function(expect_files dir)
    file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${dir} ${dir}/*)
    list(TRANSFORM files REPLACE "Targets-[a-z]+\\.cmake$" "Targets-<type>.cmake")
    list(TRANSFORM files REPLACE "${version}" "<version>")
    list(SORT files)
    list(SORT ARGN)
    if(NOT files STREQUAL ARGN)
        string(REPLACE ";" "\n  " files "${files}")
        message(FATAL_ERROR "${dir} holds\n  ${files}")
    endif()
endfunction()
# The reader of the package on the client's log.
function(expect_read)
    execute_process(COMMAND ${ARGN} ${WORK}/run/consumer.log OUTPUT_VARIABLE out RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0 OR NOT out MATCHES "\\|1\\| consumer 1")
        message(FATAL_ERROR "${ARGN}: ${rc}\n${out}")
    endif()
endfunction()

# ---- Debian package
set(root ${work}/root)
execute_process(COMMAND dpkg-deb -x ${deb} ${root} COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND dpkg-deb -f ${deb} Depends OUTPUT_VARIABLE depends)
if(NOT depends MATCHES "libc6" OR NOT depends MATCHES "libstdc\\+\\+6")
    message(FATAL_ERROR "Depends: ${depends}")
endif()
set(lib usr/lib/libBrivant.Service.VuzavovEro.so)
expect_files(${root} usr/bin/vuzavov-log usr/include/VuzavovEro.h ${lib} ${lib}.1 ${lib}.<version>
    usr/lib/cmake/VuzavovEro/VuzavovEroConfig.cmake
    usr/lib/cmake/VuzavovEro/VuzavovEroConfigVersion.cmake
    usr/lib/cmake/VuzavovEro/VuzavovEroTargets.cmake
    usr/lib/cmake/VuzavovEro/VuzavovEroTargets-<type>.cmake
    usr/lib/pkgconfig/vuzavovero.pc usr/lib/systemd/system/vuzavov-log@.service
    usr/share/man/man1/vuzavov-log.1.gz)

set(PREFIX ${root}/usr)
set(CONSUMER ${here}/consumer)
set(GENERATOR "Unix Makefiles")
set(WORK ${work}/deb-find-package)
include(${here}/run_consumer.cmake)
expect_read(${root}/usr/bin/vuzavov-log)

# pkg-config alone, as a Makefile would; the client asks for the soname.
set(WORK ${work}/deb-pkg-config)
file(MAKE_DIRECTORY ${WORK}/run)
set(ENV{PKG_CONFIG_PATH} ${root}/usr/lib/pkgconfig)
execute_process(COMMAND pkg-config --cflags --libs vuzavovero OUTPUT_VARIABLE flags
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
separate_arguments(flags UNIX_COMMAND "${flags}")
run(c++ -std=c++17 ${CONSUMER}/main.cpp ${flags} -o ${WORK}/consumer DIR ${WORK})
execute_process(COMMAND readelf -d ${WORK}/consumer OUTPUT_VARIABLE dynamic)
if(NOT dynamic MATCHES "NEEDED[^\n]*\\[libBrivant\\.Service\\.VuzavovEro\\.so\\.1\\]")
    message(FATAL_ERROR "the client does not ask for the soname:\n${dynamic}")
endif()
run(env LD_LIBRARY_PATH=${root}/usr/lib ${WORK}/consumer DIR ${WORK}/run)

# The unit as installed, its program in the scratch root.
file(READ ${root}/usr/lib/systemd/system/vuzavov-log@.service unit)
string(REPLACE "/usr/bin/" "${root}/usr/bin/" unit "${unit}")
file(WRITE ${work}/unit/vuzavov-log@.service "${unit}")
execute_process(COMMAND systemd-analyze verify --man=no
                        ${work}/unit/vuzavov-log@var-log-app.service
                RESULT_VARIABLE rc OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(NOT rc EQUAL 0 OR NOT said STREQUAL "")
    message(FATAL_ERROR "systemd-analyze verify: ${rc}\n${said}")
endif()

# ---- Windows zip
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zip} WORKING_DIRECTORY ${work}
                COMMAND_ERROR_IS_FATAL ANY)
set(top ${work}/VuzavovEro-${version}-win64)
set(lib lib/Brivant.Service.VuzavovEro)
expect_files(${top} README.txt bin/Brivant.Service.VuzavovEro.dll bin/vuzavov-log.exe
    include/VuzavovEro.h ${lib}.dll.a ${lib}.lib lib/VuzavovEro.def
    lib/cmake/VuzavovEro/VuzavovEroConfig.cmake
    lib/cmake/VuzavovEro/VuzavovEroConfigVersion.cmake
    lib/cmake/VuzavovEro/VuzavovEroTargets.cmake
    lib/cmake/VuzavovEro/VuzavovEroTargets-<type>.cmake)

set(PREFIX ${top})
set(TOOLCHAIN ${MINGW_TOOLCHAIN})
set(EMULATOR ${WINE})
set(WORK ${work}/zip-find-package)
include(${here}/run_consumer.cmake)
expect_read(${WINE} ${top}/bin/vuzavov-log.exe)
message(STATUS "packages checked: ${deb} ${zip}")
