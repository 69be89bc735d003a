# The working dialog, its animated cursor and the cursor file parser.
target_sources(quorvane_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/AniCursorFile.h ${CMAKE_CURRENT_LIST_DIR}/AniCursorFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NormalizePath.h ${CMAKE_CURRENT_LIST_DIR}/NormalizePath.cpp)
target_sources(quorvane_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/cAniCursor.h ${CMAKE_CURRENT_LIST_DIR}/cAniCursor.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frmWorking.h ${CMAKE_CURRENT_LIST_DIR}/frmWorking.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Topmost.h ${CMAKE_CURRENT_LIST_DIR}/Topmost.cpp)
