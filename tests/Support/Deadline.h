// Runs a piece of a test in a forked child under a deadline, so that a fault that hangs makes
// the test fail instead of stopping the whole binary.
#pragma once

#include <functional>
#include <string>

struct DeadlineResult {
    bool finished = false; // the child returned before the deadline
    bool passed = false;   // and the body returned true
    std::string output;    // what the child wrote to standard output (the log)
};

// The body runs in the child; its standard output is collected. A child still running at the
// deadline is killed.
DeadlineResult RunWithDeadline(const std::function<bool()>& body, double seconds);
