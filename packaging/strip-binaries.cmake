# Run by CPack on the staged files before packing: strips the programs as Debian's dh_strip does,
# which also drops the compiler's .comment and .note sections that a plain strip leaves.
file(GLOB programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/${CPACK_PACKAGING_INSTALL_PREFIX}/bin/*")
foreach(program IN LISTS programs)
    execute_process(COMMAND "${CPACK_ZENTIK_STRIP}" --remove-section=.comment --remove-section=.note
                            "${program}"
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "Could not strip ${program}")
    endif()
endforeach()
