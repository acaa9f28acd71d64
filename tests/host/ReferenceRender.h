// A fixed MIDI sequence rendered through several factory programs, written as raw float samples,
// and the comparison of two such renders (the native build against the Windows builds).
#pragma once

#include "tests/host/HostSession.h"

#include <functional>
#include <string>
#include <vector>

namespace HostCheck
{

// The largest difference accepted between two platforms' renders, relative to the peak of the
// reference program's audio (-100 dB); the correlation must also reach 1 - tolerance squared.
// The C runtimes' exp, pow and sin differ in the last bit, which shows where an LFO sine, a
// level in decibels or a time constant is computed at run time. Measured against the native
// build, both Windows builds are bit-exact in 8 of the 11 programs; the worst program
// (Screamer, sine vibrato into a resonant filter and overdrive) differs by 5.2e-7 of its peak,
// Wind and S&H Bleeps by 3.5e-7 and 1.1e-7, and no correlation falls below 1 - 6e-14. The
// tolerance leaves a factor of about 20 for other compilers and C runtimes, while a detune of
// 0.05 cents (a phase drift no listener hears) already gives differences of several percent.
// scripts/test-wine.sh passes this same number to --compare.
constexpr double kPlatformTolerance = 1e-5;

// Renders the reference sequence on a fresh instance; the samples are interleaved left, right.
// afterProgram, if given, runs after each program is selected (to make a deliberately
// different render).
std::vector<float> renderReference(const std::function<void(HostSession&)>& afterProgram = {});

// Compares two renders program by program. Prints one line per program when report is set.
// Passes when, in every program and channel, the largest sample difference is at most
// tolerance x the reference's peak and the correlation is at least 1 - tolerance squared; a
// tolerance of 0 asks for identical samples.
bool compareRenders(const std::vector<float>& reference, const std::vector<float>& other,
                    double tolerance, bool report);

// The program modes: --render FILE and --compare A B TOLERANCE. They return the exit status.
int renderToFile(const std::string& path);
int compareFiles(const std::string& referencePath, const std::string& otherPath, double tolerance);

// The check group: the render is reproducible, and a slightly detuned render is rejected.
void checkReferenceRender();

} // namespace HostCheck
