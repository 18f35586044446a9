cmake_minimum_required(VERSION 3.25)
# Builds the Debian package from the build tree and checks what a fresh Debian needs of it:
# its control fields, its files, a valid desktop entry and AppStream metadata, and no
# lintian errors.
file(REMOVE_RECURSE "${WORK}")
execute_process(COMMAND cpack --config "${BUILD_DIR}/CPackConfig.cmake" -B "${WORK}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
file(GLOB deb "${WORK}/ugoki_*.deb")
if(NOT result EQUAL 0 OR NOT deb)
    message(FATAL_ERROR "cpack failed (${result}): ${output}")
endif()

function(read_package what out)
    execute_process(COMMAND dpkg-deb ${what} "${deb}" OUTPUT_VARIABLE text RESULT_VARIABLE r)
    if(NOT r EQUAL 0)
        message(FATAL_ERROR "dpkg-deb ${what} failed")
    endif()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

read_package(-f control)
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE arch
                OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(name "${deb}" NAME)
if(NOT name STREQUAL "ugoki_${VERSION}_${arch}.deb")
    message(FATAL_ERROR "the package is named ${name}")
endif()
foreach(field "Package: ugoki" "Version: ${VERSION}" "Architecture: ${arch}" "Section: science")
    string(FIND "${control}" "${field}\n" at)
    if(at LESS 0)
        message(FATAL_ERROR "the control file lacks '${field}':\n${control}")
    endif()
endforeach()
# From dpkg-shlibdeps, and what the program loads by name.
foreach(dependency libavcodec59 libavformat59 libswscale6 libqt6widgets6 fonts-ipafont-gothic
                   qt6-translations-l10n)
    if(NOT control MATCHES "\nDepends:[^\n]*${dependency}")
        message(FATAL_ERROR "the package does not depend on ${dependency}:\n${control}")
    endif()
endforeach()

read_package(-c listing)
foreach(file
        usr/bin/ugoki
        usr/share/applications/ugoki.desktop
        usr/share/icons/hicolor/scalable/apps/ugoki.svg
        usr/share/icons/hicolor/48x48/apps/ugoki.png
        usr/share/icons/hicolor/256x256/apps/ugoki.png
        usr/share/metainfo/org.ugoki.ugoki.metainfo.xml
        usr/share/ugoki/samples/projectile.avi
        usr/share/ugoki/samples/cart.avi
        usr/share/ugoki/samples/free_fall_16x9.avi
        usr/share/ugoki/samples/drop_240fps.mp4
        usr/share/doc/ugoki/copyright
        usr/share/doc/ugoki/changelog.gz
        usr/share/man/man1/ugoki.1.gz)
    string(FIND "${listing}" " ./${file}\n" at)
    if(at LESS 0)
        message(FATAL_ERROR "the package lacks /${file}:\n${listing}")
    endif()
endforeach()
if(NOT listing MATCHES "-rwxr-xr-x root/root[^\n]* ./usr/bin/ugoki\n")
    message(FATAL_ERROR "/usr/bin/ugoki is not an executable owned by root:\n${listing}")
endif()

execute_process(COMMAND dpkg-deb -x "${deb}" "${WORK}/root")
# The file manager's "Open with" hands the entry a file of every container that opens.
file(READ "${WORK}/root/usr/share/applications/ugoki.desktop" entry)
foreach(line "Exec=ugoki %f"
        "MimeType=video/x-msvideo;video/vnd.avi;video/avi;video/mp4;video/x-m4v;video/quicktime;video/3gpp;video/x-matroska;video/webm;video/mp2t;video/mpeg;video/x-ms-wmv;video/x-ms-asf;")
    string(FIND "${entry}" "\n${line}\n" at)
    if(at LESS 0)
        message(FATAL_ERROR "the desktop entry lacks '${line}':\n${entry}")
    endif()
endforeach()
foreach(check "desktop-file-validate;${WORK}/root/usr/share/applications/ugoki.desktop"
              "appstreamcli;validate;--no-net;--pedantic;${WORK}/root/usr/share/metainfo/org.ugoki.ugoki.metainfo.xml"
              "lintian;--fail-on;error;${deb}")
    execute_process(COMMAND ${check} RESULT_VARIABLE r OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT r EQUAL 0 OR out MATCHES "desktop-|appstream-")
        message(FATAL_ERROR "${check} failed (${r}) or warned:\n${out}")
    endif()
endforeach()
file(REMOVE_RECURSE "${WORK}")
