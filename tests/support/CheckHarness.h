// The harness of the check programs that run without GoogleTest (the host check, and under Wine
// the toolkit and editor checks): counted checks, sections and named groups, verbose notes, and
// the closing count and verdict that the test scripts look for.
#pragma once

#include <functional>
#include <string>

namespace CheckHarness
{

// How checks are reported. By default only failures print, with the group that ran them:
// "FAIL [group] what". With every check echoed, each prints on a line of its own, "  ok   what"
// or "  FAIL what", flushed at once so that a crash leaves the last check in the log.
void setEchoEveryCheck(bool on);

// Counts one check and reports it; returns ok.
bool check(bool ok, const std::string& what);
// The same with the source position and, when the check fails, the detail text.
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

// Prints a section heading; with section times on, "name (at 1.2 s)", the seconds since the
// first section.
void section(const char* name);
void setSectionTimes(bool on);

// Runs one group of checks, reporting its failures and run time.
void runGroup(const char* name, const std::function<void()>& group);
// Restricts runGroup to the groups named in a comma-separated list (empty runs all), and keeps it
// from running those named in the skip list.
void setGroupFilter(const std::string& names);
void setGroupSkip(const std::string& names);
// The names of both lists that no runGroup call has met so far, comma-separated ("" when none):
// a misspelt name is an error, not an empty run.
std::string unmatchedGroups();

int checkCount();
int failureCount();

// Prints "<checks> checks, <failures> failed" and, when none failed, the verdict line; returns the
// program's exit status, 0 when none failed and 1 otherwise.
int finish(const char* verdict);

} // namespace CheckHarness

#define CHECK(condition) ::CheckHarness::check((condition), #condition, __FILE__, __LINE__)
#define CHECK_MSG(condition, detail)                                                               \
    ::CheckHarness::check((condition), #condition, __FILE__, __LINE__, (detail))
#define CHECK_NEAR(actual, expected, tolerance)                                                    \
    ::CheckHarness::checkNear((actual), (expected), (tolerance), #actual, __FILE__, __LINE__)
#define CHECK_TEXT(actual, expected)                                                               \
    ::CheckHarness::checkText((actual), (expected), #actual, __FILE__, __LINE__)
