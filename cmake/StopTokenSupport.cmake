# std::jthread, std::stop_token and the stop-aware condition_variable_any wait
# carry every wait in this program. libc++ before 20, and Apple's before Xcode
# 26, keep them behind -fexperimental-library; enable it only where the plain
# build lacks them. They are header-only there, so the flag is for compiling:
# the probe links without it, and so does the program.
include(CheckCXXSourceCompiles)

set(corvane_stop_token_probe [=[
#include <condition_variable>
#include <mutex>
#include <stop_token>
#include <thread>
int main() {
    std::mutex mutex;
    std::condition_variable_any changed;
    std::jthread worker([&](std::stop_token stop) {
        std::unique_lock lock(mutex);
        changed.wait(lock, stop, [] { return false; });
    });
    worker.request_stop();
}
]=])

check_cxx_source_compiles("${corvane_stop_token_probe}" CORVANE_HAS_STOP_TOKEN)
if(NOT CORVANE_HAS_STOP_TOKEN)
    set(CMAKE_REQUIRED_FLAGS -fexperimental-library)
    check_cxx_source_compiles("${corvane_stop_token_probe}" CORVANE_HAS_EXPERIMENTAL_STOP_TOKEN)
    unset(CMAKE_REQUIRED_FLAGS)
    if(NOT CORVANE_HAS_EXPERIMENTAL_STOP_TOKEN)
        message(FATAL_ERROR
            "The C++ standard library of ${CMAKE_CXX_COMPILER} has no std::jthread and "
            "std::stop_token, not even with -fexperimental-library. Use GCC 10 or later, "
            "libc++ 18 or later, or Xcode 16 or later.")
    endif()
    message(STATUS "std::jthread and std::stop_token need -fexperimental-library: enabled")
    add_compile_options(-fexperimental-library)
endif()
