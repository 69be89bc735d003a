# cmake -DMODE=prepare|check -DDIR=folder -DRUNTIME_DIR=folder -P TestTempFolder.cmake
# prepare: both folders exist and are empty, the runtime folder private as
# the runtime folder must be. check: fails, naming what is there, when DIR is
# not empty; either way both are removed.
if(MODE STREQUAL "prepare")
    file(REMOVE_RECURSE "${DIR}" "${RUNTIME_DIR}")
    file(MAKE_DIRECTORY "${DIR}" "${RUNTIME_DIR}")
    file(CHMOD "${RUNTIME_DIR}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
    return()
endif()
if(NOT MODE STREQUAL "check")
    message(FATAL_ERROR "MODE must be prepare or check, not \"${MODE}\"")
endif()
file(GLOB left LIST_DIRECTORIES true RELATIVE "${DIR}" "${DIR}/*" "${DIR}/.*")
list(REMOVE_ITEM left "." "..")
file(REMOVE_RECURSE "${DIR}" "${RUNTIME_DIR}")
if(left)
    list(JOIN left "\n  " named)
    message(FATAL_ERROR "The tests left these in their temporary folder ${DIR}:\n  ${named}")
endif()
message(STATUS "The tests left their temporary folder ${DIR} empty")
