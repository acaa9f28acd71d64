// A minimal check harness for the host check: counted checks, named groups and verbose notes.
#pragma once

#include <functional>
#include <string>

namespace HostCheck
{

// Counts one check; prints a failure with its source position and the detail text, if any.
bool check(bool condition, const char* what, const char* file, int line,
           const std::string& detail = std::string());

// Closeness of two numbers, printing both when they differ by more than tolerance.
bool checkNear(double actual, double expected, double tolerance, const char* what, const char* file,
               int line);

// Equality of two texts, printing both when they differ.
bool checkText(const std::string& actual, const std::string& expected, const char* what,
               const char* file, int line);

// printf-style text for failure details and notes.
std::string format(const char* pattern, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Prints the text only in verbose mode.
void note(const std::string& text);
void setVerbose(bool on);
bool isVerbose();

// Runs one group of checks, reporting its failures and run time.
void runGroup(const char* name, const std::function<void()>& group);
// Restricts runGroup to groups whose name contains the text (empty runs all).
void setGroupFilter(const std::string& text);

int checkCount();
int failureCount();

} // namespace HostCheck

#define CHECK(condition) ::HostCheck::check((condition), #condition, __FILE__, __LINE__)
#define CHECK_MSG(condition, detail)                                                               \
    ::HostCheck::check((condition), #condition, __FILE__, __LINE__, (detail))
#define CHECK_NEAR(actual, expected, tolerance)                                                    \
    ::HostCheck::checkNear((actual), (expected), (tolerance), #actual, __FILE__, __LINE__)
#define CHECK_TEXT(actual, expected)                                                               \
    ::HostCheck::checkText((actual), (expected), #actual, __FILE__, __LINE__)
