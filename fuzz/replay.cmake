# Each fuzz target built without libFuzzer and run once on the seeds and on fuzz/crashes, so its
# checks run with the tests (under the sanitizers too, in `make sanitize`).
foreach(target binaryini documenttext)
    add_executable(replay_${target} ${CMAKE_CURRENT_LIST_DIR}/fuzz_${target}.cpp
                                    ${CMAKE_CURRENT_LIST_DIR}/replay.cpp)
    target_link_libraries(replay_${target} PRIVATE documents)
    add_test(NAME fuzz.replay_${target} COMMAND replay_${target}
             ${CMAKE_CURRENT_LIST_DIR}/seeds ${CMAKE_CURRENT_LIST_DIR}/crashes)
endforeach()
