# Builds the Debian package of a build tree into a folder of its own, which
# holds nothing else afterwards:
#   cmake -DCPACK=<cpack> -DCONFIG=<CPackConfig.cmake> -DOUTPUT=<folder> -P BuildPackage.cmake
file(REMOVE_RECURSE ${OUTPUT})
execute_process(COMMAND ${CPACK} -G DEB --config ${CONFIG} -B ${OUTPUT}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cpack failed:\n${output}")
endif()
file(REMOVE_RECURSE ${OUTPUT}/_CPack_Packages)
