# Fails when a C++ source of the project does not follow .clang-format.
file(GLOB_RECURSE files ${ROOT}/src/*.cpp ${ROOT}/src/*.h ${ROOT}/tools/*.cpp ${ROOT}/tools/*.h
     ${ROOT}/tests/*.cpp ${ROOT}/tests/*.h ${ROOT}/bench/*.cpp ${ROOT}/fuzz/*.cpp)
execute_process(COMMAND ${CLANG_FORMAT} --dry-run -Werror ${files} RESULT_VARIABLE result
                ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "Run clang-format -i on these files:\n${output}")
endif()
