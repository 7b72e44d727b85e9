# Installs the build into a scratch prefix and checks that the programs, the
# data files, the desktop entry, the MIME type and the icon arrive.
#   cmake -DBUILD_DIR=... -DPREFIX=... -P check_install.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()
foreach(f
        bin/kevo21
        bin/kevo21-batch
        share/kevo21/bvsparm.cif
        share/kevo21/default-bond-lengths.txt
        share/applications/kevo21.desktop
        share/icons/hicolor/scalable/apps/kevo21.svg
        share/mime/packages/kevo21-cif.xml)
    if(NOT EXISTS "${PREFIX}/${f}")
        message(FATAL_ERROR "not installed: ${f}")
    endif()
endforeach()
file(READ "${PREFIX}/share/applications/kevo21.desktop" entry)
foreach(line "Type=Application" "Exec=kevo21 %f" "Icon=kevo21" "MimeType=chemical/x-cif;")
    string(FIND "${entry}" "\n${line}\n" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "kevo21.desktop lacks the line ${line}")
    endif()
endforeach()
file(READ "${PREFIX}/share/mime/packages/kevo21-cif.xml" mime)
string(FIND "${mime}" "<glob pattern=\"*.cif\"/>" at)
if(at EQUAL -1)
    message(FATAL_ERROR "the MIME type does not claim *.cif")
endif()
file(REMOVE_RECURSE "${PREFIX}")
