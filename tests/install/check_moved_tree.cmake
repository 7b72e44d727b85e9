# Installs the build into a scratch prefix, moves the installed tree to
# another folder and runs the batch program from there, in a folder without
# data files: it must still find bvsparm.cif and default-bond-lengths.txt in
# <bin>/../share/kevo21. Without the table it says where it looked.
#   cmake -DBUILD_DIR=... -DSCRATCH=... -DEXAMPLE=... -P check_moved_tree.cmake
file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}/work" "${SCRATCH}/moved")
file(REAL_PATH "${SCRATCH}" SCRATCH)
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${SCRATCH}/installed"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()
set(tree "${SCRATCH}/moved/elsewhere")
file(RENAME "${SCRATCH}/installed" "${tree}")

get_filename_component(title "${EXAMPLE}" NAME_WE)
execute_process(COMMAND "${tree}/bin/kevo21-batch" --json --bond-limits default
                        --out results/run "${EXAMPLE}"
                WORKING_DIRECTORY "${SCRATCH}/work"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT err STREQUAL "")
    message(FATAL_ERROR "the moved tree's batch program failed (${rc}):\n${err}")
endif()
set(json "${SCRATCH}/work/results/run/${title}.json")
if(NOT EXISTS "${json}")
    message(FATAL_ERROR "no ${json}")
endif()
file(READ "${json}" record)
string(JSON gii ERROR_VARIABLE problem GET "${record}" cation_centred globals GII)
if(problem OR gii STREQUAL "" OR gii STREQUAL "null")
    message(FATAL_ERROR "no global instability index: the table was not used (${problem})")
endif()

# Without the table the run of two files is refused once, saying where it
# looked.
file(REMOVE "${tree}/share/kevo21/bvsparm.cif")
file(COPY_FILE "${EXAMPLE}" "${SCRATCH}/work/second.cif")
execute_process(COMMAND "${tree}/bin/kevo21-batch" --out results/refused "${EXAMPLE}" second.cif
                WORKING_DIRECTORY "${SCRATCH}/work"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(expected "Cannot open the bond-valence parameter file bvsparm.cif.\n"
             "Looked for ${SCRATCH}/work/bvsparm.cif, ${tree}/bin/bvsparm.cif and "
             "${tree}/share/kevo21/bvsparm.cif.\n")
string(CONCAT expected ${expected})
if(NOT rc EQUAL 2 OR NOT err STREQUAL expected)
    message(FATAL_ERROR "without the table (${rc}):\n${err}\nexpected:\n${expected}")
endif()
if(EXISTS "${SCRATCH}/work/results/refused")
    message(FATAL_ERROR "a refused run made its output folder")
endif()
file(REMOVE_RECURSE "${SCRATCH}")
