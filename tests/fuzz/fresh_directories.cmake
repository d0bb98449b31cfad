# Empties the fuzzer's working corpus and its artifacts folder before the fuzz tests run.
# Usage: cmake -DWORK=<dir> -DARTIFACTS=<dir> -P fresh_directories.cmake
if(NOT WORK OR NOT ARTIFACTS)
    message(FATAL_ERROR "fresh_directories.cmake needs -DWORK=<dir> and -DARTIFACTS=<dir>")
endif()
foreach(directory ${WORK} ${ARTIFACTS})
    file(REMOVE_RECURSE ${directory})
    file(MAKE_DIRECTORY ${directory})
endforeach()
