// The check harness: counters, failure reports, sections and group timing.
#include "tests/support/CheckHarness.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace CheckHarness
{

namespace
{

int checks = 0;
int failures = 0;
bool verbose = false;
bool echoEveryCheck = false;
bool sectionTimes = false;
// The groups named by setGroupFilter (to run; all when empty) and setGroupSkip (not to run), each
// with whether a group of that name was met.
using NamedGroups = std::vector<std::pair<std::string, bool>>;
NamedGroups groupFilter;
NamedGroups groupSkip;
const char* currentGroup = "";

} // namespace

void setEchoEveryCheck(bool on)
{
    echoEveryCheck = on;
}

bool check(bool ok, const std::string& what)
{
    ++checks;
    if (!ok)
    {
        ++failures;
    }
    if (echoEveryCheck)
    {
        std::printf("  %s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    }
    else if (!ok)
    {
        std::printf("FAIL [%s] %s\n", currentGroup, what.c_str());
    }
    if (echoEveryCheck || !ok)
    {
        std::fflush(stdout);
    }
    return ok;
}

bool check(bool condition, const char* what, const char* file, int line, const std::string& detail)
{
    if (condition && !echoEveryCheck)
    {
        // The common case of the host check, without building the text.
        ++checks;
        return true;
    }
    return check(condition, format("%s:%d: %s%s%s", file, line, what, detail.empty() ? "" : " -- ",
                                   detail.c_str()));
}

bool checkNear(double actual, double expected, double tolerance, const char* what, const char* file,
               int line)
{
    // Written so that a NaN fails.
    const bool close = std::fabs(actual - expected) <= tolerance;
    return check(close, what, file, line,
                 close ? std::string()
                       : format("%.9g, expected %.9g within %.3g", actual, expected, tolerance));
}

bool checkText(const std::string& actual, const std::string& expected, const char* what,
               const char* file, int line)
{
    const bool same = actual == expected;
    return check(same, what, file, line,
                 same ? std::string()
                      : format("\"%s\", expected \"%s\"", actual.c_str(), expected.c_str()));
}

std::string format(const char* pattern, ...)
{
    char buffer[1024];
    va_list arguments;
    va_start(arguments, pattern);
    std::vsnprintf(buffer, sizeof(buffer), pattern, arguments);
    va_end(arguments);
    return buffer;
}

void note(const std::string& text)
{
    if (verbose)
    {
        std::printf("  %s\n", text.c_str());
    }
}

void setVerbose(bool on)
{
    verbose = on;
}

bool isVerbose()
{
    return verbose;
}

void section(const char* name)
{
    static const auto started = std::chrono::steady_clock::now();
    if (sectionTimes)
    {
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::printf("%s (at %.1f s)\n", name, seconds);
    }
    else
    {
        std::printf("%s\n", name);
    }
    std::fflush(stdout);
}

void setSectionTimes(bool on)
{
    sectionTimes = on;
}

namespace
{

NamedGroups parseNames(const std::string& names)
{
    NamedGroups parsed;
    std::size_t start = 0;
    while (start <= names.size())
    {
        const std::size_t comma = std::min(names.find(',', start), names.size());
        if (comma > start)
        {
            parsed.emplace_back(names.substr(start, comma - start), false);
        }
        start = comma + 1;
    }
    return parsed;
}

// Marks the name met in the list; false when the list does not hold it.
bool meet(NamedGroups& list, const char* name)
{
    auto named = std::find_if(list.begin(), list.end(),
                              [name](const auto& entry) { return entry.first == name; });
    if (named == list.end())
    {
        return false;
    }
    named->second = true;
    return true;
}

} // namespace

void setGroupFilter(const std::string& names)
{
    groupFilter = parseNames(names);
}

void setGroupSkip(const std::string& names)
{
    groupSkip = parseNames(names);
}

std::string unmatchedGroups()
{
    std::string unmatched;
    for (const NamedGroups* list : {&groupFilter, &groupSkip})
    {
        for (const auto& [name, met] : *list)
        {
            if (!met)
            {
                unmatched += (unmatched.empty() ? "" : ",") + name;
            }
        }
    }
    return unmatched;
}

void runGroup(const char* name, const std::function<void()>& group)
{
    const bool listed = meet(groupFilter, name);
    if (meet(groupSkip, name) || (!groupFilter.empty() && !listed))
    {
        return;
    }
    currentGroup = name;
    const int failuresBefore = failures;
    const int checksBefore = checks;
    const auto start = std::chrono::steady_clock::now();
    group();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-12s %5d checks, %3d failed, %6.2f s\n", name, checks - checksBefore,
                failures - failuresBefore, seconds);
    std::fflush(stdout);
    currentGroup = "";
}

int checkCount()
{
    return checks;
}

int failureCount()
{
    return failures;
}

int finish(const char* verdict)
{
    std::printf("%d checks, %d failed\n", checks, failures);
    if (failures == 0)
    {
        std::printf("%s\n", verdict);
    }
    std::fflush(stdout);
    return failures == 0 ? 0 : 1;
}

} // namespace CheckHarness
