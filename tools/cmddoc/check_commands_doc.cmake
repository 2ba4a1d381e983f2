# Fails when docs/commands.md differs from what the command catalogue
# generates, and says how to refresh it.  Run with
#   cmake -DCATALOGUE=... -DGENERATOR=... -DGENERATED=... -DCHECKED_IN=... -DBUILD_DIR=... -P check_commands_doc.cmake

execute_process(
  COMMAND ${CMAKE_COMMAND} -DCATALOGUE=${CATALOGUE} -DOUTPUT=${GENERATED} -P ${GENERATOR}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the manual could not be generated from ${CATALOGUE}")
endif()
execute_process(
  COMMAND ${CMAKE_COMMAND} -E compare_files ${GENERATED} ${CHECKED_IN}
  RESULT_VARIABLE differs)
if(NOT differs EQUAL 0)
  message(FATAL_ERROR "${CHECKED_IN} is not what ${CATALOGUE} generates.\n"
    "Refresh it with\n  ninja -C ${BUILD_DIR} docs_commands\n"
    "or\n  cp ${GENERATED} ${CHECKED_IN}")
endif()
