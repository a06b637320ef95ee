# Shared build settings and helpers for the project's targets.

add_library(zk_options INTERFACE)
target_compile_options(zk_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                            -Wcast-align -Wunused -Woverloaded-virtual)
# g++ 12 reports false -Wrestrict overlaps inside std::string concatenation (GCC bug 105329).
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(zk_options INTERFACE -Wno-restrict)
endif()
if(ZK_WERROR)
    target_compile_options(zk_options INTERFACE -Werror)
endif()
if(ZK_SANITIZE)
    target_compile_options(zk_options INTERFACE -fsanitize=${ZK_SANITIZE} -fno-omit-frame-pointer
                                                -fno-sanitize-recover=all)
    target_link_options(zk_options INTERFACE -fsanitize=${ZK_SANITIZE})
endif()
if(ZK_FUZZ)
    target_compile_options(zk_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined
                                                -fno-omit-frame-pointer)
    target_link_options(zk_options INTERFACE -fsanitize=address,undefined)
endif()
find_package(Threads REQUIRED)
target_link_libraries(zk_options INTERFACE Threads::Threads)

# zk_add_library(<target> DEPS <targets...>)
# One library per source folder: every .cpp of the calling folder (not its subfolders) except main.cpp.
# A folder without sources yet becomes an interface library so that the dependency chain stays whole.
function(zk_add_library target)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
    if(sources)
        add_library(${target} STATIC ${sources})
        target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(${target} PUBLIC zk_options ${ARG_DEPS})
    else()
        add_library(${target} INTERFACE)
        target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(${target} INTERFACE zk_options ${ARG_DEPS})
    endif()
endfunction()

# zk_add_test(<name> LIBS <targets...>)
# One GoogleTest executable from every *Tests.cpp of the calling folder.
function(zk_add_test name)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Tests.cpp)
    if(NOT sources)
        return()
    endif()
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} zk_test_support GTest::gmock GTest::gtest_main)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 30
                         PROPERTIES ENVIRONMENT "ZK_BIN_DIR=${CMAKE_BINARY_DIR}/bin;ZK_BACKEND=headless")
endfunction()

# zk_add_tsan_test(<test executable> <gtest filter>)
# Under ThreadSanitizer (the tsan preset): one test, labelled tsan, that runs the executable's tests matching
# the filter. Only tests whose threads are all ours (the in-process fakes, never gRPC, whose library is not
# instrumented) belong here. The target tsan_tests builds their executables; CI then runs
# `ctest --preset tsan -L tsan`.
function(zk_add_tsan_test executable filter)
    if(NOT ZK_SANITIZE STREQUAL "thread")
        return()
    endif()
    add_test(NAME tsan.${executable} COMMAND ${executable} --gtest_filter=${filter})
    set_tests_properties(tsan.${executable} PROPERTIES LABELS tsan TIMEOUT 900
                         ENVIRONMENT "ZK_BIN_DIR=${CMAKE_BINARY_DIR}/bin;ZK_BACKEND=headless")
    if(NOT TARGET tsan_tests)
        add_custom_target(tsan_tests)
    endif()
    add_dependencies(tsan_tests ${executable})
endfunction()
