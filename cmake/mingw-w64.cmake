# Cross-compiling for Windows with mingw-w64. Included by the per-architecture toolchain files,
# which set MINGW_TRIPLET first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 5.1)

foreach(tool ${MINGW_TRIPLET}-gcc ${MINGW_TRIPLET}-g++ ${MINGW_TRIPLET}-windres)
    find_program(found_${tool} ${tool})
    if(NOT found_${tool})
        message(FATAL_ERROR "${tool} is missing: install Debian's mingw-w64 packages "
                            "(tools/install-dependencies does)")
    endif()
endforeach()

set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
