# Settings shared by every target of the project. Each target links
# quelta_settings PRIVATE; nothing here is set directory-wide.

set(CMAKE_AUTOMOC ON)
set(CMAKE_AUTORCC ON)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
    set(CMAKE_CXX_COMPILER_LAUNCHER "${CCACHE_PROGRAM}")
endif()

option(QUELTA_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
# A ThreadSanitizer build is meant for the target quelta_thread_tests and the
# tests labelled "threads" alone.
option(QUELTA_SANITIZE_THREAD "Build with ThreadSanitizer" OFF)
if(QUELTA_SANITIZE AND QUELTA_SANITIZE_THREAD)
    message(FATAL_ERROR "QUELTA_SANITIZE and QUELTA_SANITIZE_THREAD exclude each other")
endif()

add_library(quelta_settings INTERFACE)
target_compile_features(quelta_settings INTERFACE cxx_std_17)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(quelta_settings INTERFACE -Wall -Wextra -Werror)
target_compile_definitions(quelta_settings INTERFACE
    QT_NO_KEYWORDS
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_CAST_FROM_BYTEARRAY
    QT_NO_URL_CAST_FROM_STRING
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_FOREACH
    QT_DISABLE_DEPRECATED_BEFORE=0x050F00)

if(QUELTA_SANITIZE)
    # float-cast-overflow is not part of "undefined" in GCC; it catches an
    # infinity or NaN converted to an integer.
    set(QUELTA_SANITIZER_FLAGS
        -fsanitize=address,undefined,float-cast-overflow -fno-omit-frame-pointer -fno-sanitize-recover=all)
    # Sanitizer flags must reach every object and the final link, including
    # moc output, so they are set for the whole build rather than per target.
    add_compile_options(${QUELTA_SANITIZER_FLAGS})
    add_link_options(${QUELTA_SANITIZER_FLAGS})
endif()
if(QUELTA_SANITIZE_THREAD)
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
endif()
# Builds the tests marked THREADS and only what they need.
add_custom_target(quelta_thread_tests)

# quelta_add_library(<name> SOURCES ... [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
# A static library for one subsystem folder; its headers are found from src/.
function(quelta_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}/src")
    target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE quelta_settings ${ARG_PRIVATE_LIBS})
endfunction()

# quelta_add_test(<tst_name> SOURCES ... LIBS ... [THREADS] [LABELS ...] [TIMEOUT s] [ENVIRONMENT ...])
# One executable and one CTest entry per tst_ file. Tests may use plain
# string literals, so QT_NO_CAST_FROM_ASCII is dropped for them. THREADS marks
# a test whose code under test runs on several threads: it gets the label
# "threads", and quelta_thread_tests builds it for a ThreadSanitizer run.
function(quelta_add_test name)
    cmake_parse_arguments(ARG "THREADS" "TIMEOUT" "SOURCES;LIBS;LABELS;ENVIRONMENT" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE quelta_settings Qt5::Test ${ARG_LIBS})
    target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/src" "${PROJECT_SOURCE_DIR}/tests")
    target_compile_definitions(${name} PRIVATE QUELTA_TEST_SOURCE_DIR="${PROJECT_SOURCE_DIR}/tests")
    target_compile_options(${name} PRIVATE -UQT_NO_CAST_FROM_ASCII)
    add_test(NAME ${name} COMMAND ${name})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
    if(ARG_THREADS)
        list(APPEND ARG_LABELS threads)
        add_dependencies(quelta_thread_tests ${name})
    endif()
    if(ARG_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
    set(env "QT_QPA_PLATFORM=offscreen" "LC_ALL=C.UTF-8" "PYTHON3=/usr/bin/python3" ${ARG_ENVIRONMENT})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}")
endfunction()
