#ifndef OSTREL_RETRYOPERATION_H
#define OSTREL_RETRYOPERATION_H

#include "util/CrException.h"

#include <chrono>
#include <iostream>
#include <string>
#include <thread>

namespace ostrel {

// Blocks the calling thread for the given number of milliseconds.
inline void sleepMilliseconds(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// Runs operation(path) and, each time it throws CrException, sleeps for the
// interval and runs it again, up to retries more times (so at most
// retries + 1 runs). retries below 1 count as 1; the interval is clamped to
// 0..60000 milliseconds. Returns true once a run succeeds. When the last run
// fails: with ignoreFailure false the CrException propagates; with it true
// the message and "Tried N times before giving up and ignoring the error..."
// go to standard error and the result is false. Other exceptions propagate
// at once. sleep(milliseconds) does the waiting, replaceable for tests.
template <typename Operation, typename Sleeper>
bool retryOperation(Operation&& operation, const std::string& path, int retries, int intervalMilliseconds,
                    bool ignoreFailure, Sleeper&& sleep) {
    if (retries < 1) {
        retries = 1;
    }
    if (intervalMilliseconds < 0) {
        intervalMilliseconds = 0;
    } else if (intervalMilliseconds > 60000) {
        intervalMilliseconds = 60000;
    }
    for (int attempts = 0;; ++attempts) {
        try {
            operation(path);
            return true;
        } catch (const CrException& failure) {
            if (attempts < retries) {
                sleep(intervalMilliseconds);
                continue;
            }
            if (!ignoreFailure) {
                throw;
            }
            std::cerr << failure.getMessage() << std::endl
                      << "Tried " << (retries + 1) << " times before giving up and ignoring the error..."
                      << std::endl;
            return false;
        }
    }
}

template <typename Operation>
bool retryOperation(Operation&& operation, const std::string& path, int retries, int intervalMilliseconds,
                    bool ignoreFailure) {
    return retryOperation(operation, path, retries, intervalMilliseconds, ignoreFailure, sleepMilliseconds);
}

}  // namespace ostrel

#endif
