# Checked builds: sanitizers for the whole tree, and the libFuzzer harnesses (which need Clang).
option(VARNUTH_SANITIZE "Build everything with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(VARNUTH_BUILD_FUZZERS "Build the libFuzzer harnesses in tests/fuzz (Clang only)" OFF)

if(VARNUTH_SANITIZE OR VARNUTH_BUILD_FUZZERS)
    # The contracts' asserts are checked where faults are hunted, whatever the build type.
    foreach(config RELEASE RELWITHDEBINFO MINSIZEREL)
        string(REPLACE "-DNDEBUG" "" CMAKE_CXX_FLAGS_${config} "${CMAKE_CXX_FLAGS_${config}}")
    endforeach()
    # Every finding stops the program, so a test or a fuzz run cannot pass over it.
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

if(VARNUTH_BUILD_FUZZERS)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "VARNUTH_BUILD_FUZZERS needs Clang (libFuzzer), not ${CMAKE_CXX_COMPILER_ID}")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
