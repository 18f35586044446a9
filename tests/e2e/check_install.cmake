cmake_minimum_required(VERSION 3.25)
# Installs the build tree into a fresh prefix and checks that the program, its sample
# videos and its desktop entry land where the program and the desktop look for them.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${result}): ${errors}")
endif()

set(expected
    bin/ugoki
    share/applications/ugoki.desktop
    share/ugoki/samples/README.md
    share/ugoki/samples/projectile.avi
    share/ugoki/samples/cart.avi
    share/ugoki/samples/free_fall_16x9.avi)
foreach(file IN LISTS expected)
    if(NOT EXISTS "${PREFIX}/${file}")
        message(FATAL_ERROR "${file} is not installed under ${PREFIX}")
    endif()
endforeach()
execute_process(COMMAND test -x "${PREFIX}/bin/ugoki" RESULT_VARIABLE not_executable)
if(not_executable)
    message(FATAL_ERROR "bin/ugoki is not executable")
endif()
file(SIZE "${PREFIX}/share/ugoki/samples/projectile.avi" size)
if(size LESS 10000)
    message(FATAL_ERROR "projectile.avi is only ${size} bytes")
endif()

file(STRINGS "${PREFIX}/share/applications/ugoki.desktop" entry)
foreach(line "Exec=ugoki" "MimeType=video/x-msvideo;video/vnd.avi;video/avi;")
    if(NOT line IN_LIST entry)
        message(FATAL_ERROR "the desktop entry lacks '${line}'")
    endif()
endforeach()
if(VALIDATE)
    execute_process(COMMAND "${VALIDATE}" "${PREFIX}/share/applications/ugoki.desktop"
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "the installed desktop entry does not validate")
    endif()
endif()
file(REMOVE_RECURSE "${PREFIX}")
