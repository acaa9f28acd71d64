// The harmonic levels of the 26 oscillator waves, one table per wave, and their names.
#include "components/WaveData.h"

#include <array>
#include <cstddef>

namespace
{

// Each table lists the levels of harmonics 1 to K in order (0 = absent), ten to a line; the comment
// at the start of a line is the number of its first harmonic. All harmonics are in sine phase and
// of one sign; the strongest harmonic of each wave has level 255.

// clang-format off
// Piano: a fall of about k^-1.2 from the ninth harmonic, notched where a hammer striking an eighth
// of the way along the string leaves multiples of 8 weak or absent; above the 40th only the
// strongest partials of each comb lobe remain.
constexpr std::uint8_t kPianoLevels[116] = {
    /*   1 */ 240, 171, 255, 181,  97,  89, 115,  15,  51,  65,
    /*  11 */  70,  67,  58,  44,  28,   0,  24,  32,  37,  36,
    /*  21 */  32,  25,  17,   0,  15,  21,  24,  24,  22,  17,
    /*  31 */  12,   0,  11,  15,  18,  18,  16,  13,   9,   0,
    /*  41 */   0,   0,  14,  14,  13,   0,   0,   0,   0,   0,
    /*  51 */  11,  12,  11,   0,   0,   0,   0,   0,   9,  10,
    /*  61 */   9,   0,   0,   0,   0,   0,   8,   8,   8,   0,
    /*  71 */   0,   0,   0,   0,   7,   7,   7,   0,   0,   0,
    /*  81 */   0,   0,   6,   7,   6,   0,   0,   0,   0,   0,
    /*  91 */   0,   6,   5,   0,   0,   0,   0,   0,   0,   5,
    /* 101 */   5,   0,   0,   0,   0,   0,   0,   5,   4,   0,
    /* 111 */   0,   0,   0,   0,   4,   4,
};

// EPiano: a falling series up to the 7th and the two bell-like partials of the tine.
constexpr std::uint8_t kEPianoLevels[15] = {
    /*   1 */ 255, 173, 107,  66,  36,  17,   5,   0,   0,   0,
    /*  11 */   0,   0,  23,   0,  23,
};

// Tine: a few weak upper partials of the struck tine, spread out and falling.
constexpr std::uint8_t kTineLevels[56] = {
    /*   1 */ 255, 234, 114, 147,  84,   0,  91,  68,  40,  52,
    /*  11 */   0,  33,   0,  26,   0,   0,  30,   0,   0,  19,
    /*  21 */   0,   0,   0,   0,   0,   0,   0,  24,   0,   0,
    /*  31 */   0,   0,   0,   0,  15,   0,   0,   0,   0,   0,
    /*  41 */   0,  11,   0,   0,   0,   0,   0,   0,   0,   0,
    /*  51 */   0,   0,   0,   0,   0,   9,
};

// Harpsichord: a bright, slowly falling spectrum (about k^-0.75) combed by a pluck a ninth of the
// way along the string: multiples of 9 are absent.
constexpr std::uint8_t kHarpsichordLevels[128] = {
    /*   1 */ 255, 217, 219,  93,  59,  49,  38,  23,   0,  37,
    /*  11 */  46,  52,  53,  50,  44,  35,  25,   0,  23,  30,
    /*  21 */  34,  35,  34,  31,  25,  18,   0,  17,  22,  26,
    /*  31 */  27,  27,  24,  20,  14,   0,  14,  18,  21,  23,
    /*  41 */  22,  20,  17,  12,   0,  12,  16,  18,  19,  19,
    /*  51 */  17,  14,  11,   0,  10,  14,  16,  17,  17,  15,
    /*  61 */  13,   9,   0,   9,  12,  14,  15,  15,  14,  12,
    /*  71 */   9,   0,   8,  11,  13,  14,  14,  13,  11,   8,
    /*  81 */   0,   8,  10,  12,  13,  13,  12,  10,   7,   0,
    /*  91 */   7,   9,  11,  12,  12,  11,   9,   7,   0,   7,
    /* 101 */   9,  10,  11,  11,  10,   8,   6,   0,   6,   8,
    /* 111 */  10,  10,  10,  10,   8,   6,   0,   6,   8,   9,
    /* 121 */  10,  10,   9,   8,   6,   0,   6,   7,
};

// Organ: drawbars at full level on harmonics 2, 3, 4, 6, 8, 10, 12 and 16, the fundamental just
// below.
constexpr std::uint8_t kOrganLevels[16] = {
    /*   1 */ 254, 255, 255, 255,   0, 255,   0, 255,   0, 255,
    /*  11 */   0, 255,   0,   0,   0, 255,
};

// Bell: partials 1, 3 and 4, then every fourth harmonic from the 9th, falling as about k^-0.9 with
// a lift around the 21st.
constexpr std::uint8_t kBellLevels[125] = {
    /*   1 */ 255,   0, 227, 255,   0,   0,   0,   0, 171,   0,
    /*  11 */   0,   0, 139,   0,   0,   0, 126,   0,   0,   0,
    /*  21 */ 112,   0,   0,   0,  89,   0,   0,   0,  67,   0,
    /*  31 */   0,   0,  53,   0,   0,   0,  45,   0,   0,   0,
    /*  41 */  41,   0,   0,   0,  38,   0,   0,   0,  35,   0,
    /*  51 */   0,   0,  32,   0,   0,   0,  30,   0,   0,   0,
    /*  61 */  29,   0,   0,   0,  27,   0,   0,   0,  26,   0,
    /*  71 */   0,   0,  24,   0,   0,   0,  23,   0,   0,   0,
    /*  81 */  22,   0,   0,   0,  21,   0,   0,   0,  20,   0,
    /*  91 */   0,   0,  20,   0,   0,   0,  19,   0,   0,   0,
    /* 101 */  18,   0,   0,   0,  18,   0,   0,   0,  17,   0,
    /* 111 */   0,   0,  16,   0,   0,   0,  16,   0,   0,   0,
    /* 121 */  15,   0,   0,   0,  15,
};

// DigiBell: the fundamental, a strong 5th and the series 9, 13, 17, ... spaced by four.
constexpr std::uint8_t kDigiBellLevels[49] = {
    /*   1 */ 255,  13,  10,   0, 163,   0,   0,   0, 120,   0,
    /*  11 */   0,   0,  69,   0,   0,   0, 153,   0,   0,   0,
    /*  21 */  38,   0,   0,   0,  28,   0,   0,   0,  13,   0,
    /*  31 */   0,   0,  10,   0,   0,   0,   0,   0,   0,   0,
    /*  41 */  10,   0,   0,   0,   8,   0,   0,   0,  10,
};

// Glocken: a weak harmonic floor with bright partial pairs near 7, 14, 21 (the strongest), 28, 37
// and 47, like the inharmonic modes of a metal bar.
constexpr std::uint8_t kGlockenLevels[51] = {
    /*   1 */  18,  25,  25,   5,   5,   5, 110,   8,  12,  11,
    /*  11 */  11,  10,  10, 160,  90,   9,   9,   8,   8,   8,
    /*  21 */ 255, 120,   8,   7,   7,   7,   7, 140,  90,   7,
    /*  31 */   6,   6,   6,   6,   6,   6, 100,  45,   6,   6,
    /*  41 */   6,   6,   5,   5,   5,   5,  60,  30,   5,   5,
    /*  51 */   5,
};

// OrientBell: no fundamental; odd partials with a few even-spaced high ones.
constexpr std::uint8_t kOrientBellLevels[35] = {
    /*   1 */   0, 128, 255,   0,  76,   0,  77,   0,  51,   0,
    /*  11 */  25,   0,  25,   0,  25,   0,   0,   0,   0,   0,
    /*  21 */ 127,   0,   0,   0,  77,   0,   0,   0,   0,   0,
    /*  31 */  51,   0,   0,   0,  26,
};

// PluckString: a fall of about k^-1.1 combed by a pluck two ninths along the string (lobes every
// 4.5 harmonics); 36 and 45 sit in notches.
constexpr std::uint8_t kPluckStringLevels[48] = {
    /*   1 */ 140, 255,  51,  61,  20,  79,  84,  23,  33,  73,
    /*  11 */  87,  73,  40,  36,  57,  58,  41,  15,  36,  45,
    /*  21 */  39,  22,  21,  34,  35,  26,  10,  24,  30,  27,
    /*  31 */  15,  15,  24,  25,  19,   0,  17,  22,  20,  12,
    /*  41 */  11,  18,  19,  14,   0,  14,  18,  16,
};

// EBass: the dark tail of a fingered bass at levels 1 to 3, with pickup notches at 17, 26 and 35.
constexpr std::uint8_t kEBassLevels[43] = {
    /*   1 */ 255, 186,  76,  25,  10,   5,   5,   3,   3,   3,
    /*  11 */   3,   2,   2,   2,   2,   2,   0,   2,   2,   2,
    /*  21 */   1,   1,   1,   1,   1,   0,   1,   1,   1,   1,
    /*  31 */   1,   1,   1,   1,   0,   1,   1,   1,   1,   1,
    /*  41 */   1,   1,   1,
};

// SlapBass: the bright bump of a slap around the 14th over a 1/k fall, with pickup notches every 6
// or 7 harmonics.
constexpr std::uint8_t kSlapBassLevels[51] = {
    /*   1 */ 255,  97, 102,  54,   5,   3,  23,  23,  38,  40,
    /*  11 */  41,  43,   0,  43,  41,  39,  36,  32,   0,  24,
    /*  21 */  20,  17,  14,  12,  10,   0,   8,   7,   7,   6,
    /*  31 */   6,   0,   5,   5,   5,   5,   5,   5,   0,   5,
    /*  41 */   4,   4,   4,   4,   0,   4,   4,   4,   4,   0,
    /*  51 */   4,
};

// SynthBass: the resonance at the 8th dies away over the 9th and 10th; above it a k^-1.3 fall,
// thinning to even harmonics.
constexpr std::uint8_t kSynthBassLevels[40] = {
    /*   1 */ 255, 255,  40,  72,  46,  40,  46,  90,  70,  44,
    /*  11 */  36,  32,  29,  26,   0,  22,   0,  19,   0,  17,
    /*  21 */   0,  15,   0,  13,   0,  12,   0,  11,   0,  10,
    /*  31 */   0,   9,   0,   0,   0,   8,   0,   0,   0,   7,
};

// Brass: every harmonic, falling smoothly as about k^-1.25.
constexpr std::uint8_t kBrassLevels[57] = {
    /*   1 */ 255, 209, 194, 140, 130, 115,  97,  87,  75,  66,
    /*  11 */  58,  52,  47,  43,  40,  37,  34,  32,  30,  28,
    /*  21 */  26,  25,  23,  22,  21,  20,  19,  18,  17,  17,
    /*  31 */  16,  15,  15,  14,  14,  13,  13,  12,  12,  12,
    /*  41 */  11,  11,  11,  10,  10,  10,  10,   9,   9,   9,
    /*  51 */   9,   8,   8,   8,   8,   8,   7,
};

// Oboe: a second formant around the 10th, then a few faint partials spread up to the 123rd.
constexpr std::uint8_t kOboeLevels[123] = {
    /*   1 */  46, 143, 104, 235, 255,  61,  13,  21,  30,  42,
    /*  11 */  36,  24,  15,   0,  10,   0,   8,   0,   0,   6,
    /*  21 */   0,   0,   0,   5,   0,   0,   0,   0,   0,   4,
    /*  31 */   0,   0,   0,   0,   0,   0,   0,   0,   0,   3,
    /*  41 */   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,
    /*  51 */   0,   0,   0,   0,   3,   0,   0,   0,   0,   0,
    /*  61 */   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,
    /*  71 */   0,   0,   0,   0,   2,   0,   0,   0,   0,   0,
    /*  81 */   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,
    /*  91 */   0,   0,   0,   0,   0,   0,   0,   0,   0,   2,
    /* 101 */   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,
    /* 111 */   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,
    /* 121 */   0,   0,   1,
};

// Sax: a fall of about k^-0.9 with a formant around the 13th; the top octave thins out.
constexpr std::uint8_t kSaxLevels[74] = {
    /*   1 */ 255, 163, 171, 125, 163, 163, 109,  84,  94,  94,
    /*  11 */  93,  91,  87,  80,  71,  61,  53,  47,  42,  38,
    /*  21 */  36,  34,  33,  31,  30,  29,  28,  27,  26,  26,
    /*  31 */  25,  24,  23,  23,  22,  22,   0,  21,  20,  20,
    /*  41 */  19,  19,   0,  18,  18,  17,  17,  17,   0,  16,
    /*  51 */  16,  16,   0,  15,  15,   0,  14,  14,   0,  14,
    /*  61 */  13,   0,  13,  13,   0,  13,   0,  12,   0,  12,
    /*  71 */   0,  12,   0,  11,
};

// Vocal1: vowel formants around the 2nd (given), 11th, 23rd and 34th over a gentle tilt.
constexpr std::uint8_t kVocal1Levels[63] = {
    /*   1 */ 127, 255, 173, 137,  20,  12,  20,  17,  42,  62,
    /*  11 */  70,  59,  37,  19,   9,   5,   5,   8,  12,  18,
    /*  21 */  26,  31,  33,  31,  24,  17,  12,   8,   8,   8,
    /*  31 */  10,  13,  14,  15,  14,  12,  10,   7,   5,   4,
    /*  41 */   3,   3,   3,   3,   2,   2,   2,   2,   2,   2,
    /*  51 */   2,   2,   2,   2,   2,   2,   2,   2,   2,   2,
    /*  61 */   2,   2,   2,
};

// Vocal2: vowel formants around the 3rd (given), 14th, 25th and 36th over a low floor.
constexpr std::uint8_t kVocal2Levels[51] = {
    /*   1 */  58, 107, 255,  30,  22,   5,   2,   7,   2,   5,
    /*  11 */  12,  29,  51,  62,  51,  29,  12,   5,   3,   4,
    /*  21 */   7,  12,  19,  25,  27,  25,  19,  12,   7,   5,
    /*  31 */   5,   6,   8,  10,  11,  12,  11,  10,   8,   6,
    /*  41 */   4,   3,   3,   2,   2,   2,   2,   2,   2,   2,
    /*  51 */   2,
};

// VoxHumana: formants around the 6th (given), 15th, 26th, 40th and 58th over a slowly falling
// floor; only the 96th is absent.
constexpr std::uint8_t kVoxHumanaLevels[127] = {
    /*   1 */  87,  32, 109, 130, 159, 255,  52,  13,   8,  12,
    /*  11 */  21,  37,  58,  77,  84,  77,  58,  37,  22,  16,
    /*  21 */  17,  23,  31,  39,  46,  48,  46,  39,  31,  22,
    /*  31 */  16,  12,  10,  11,  13,  16,  19,  22,  24,  25,
    /*  41 */  24,  22,  19,  16,  13,  10,   8,   7,   7,   6,
    /*  51 */   7,   7,   8,   9,   9,  10,  10,  10,  10,   9,
    /*  61 */   9,   8,   8,   7,   6,   5,   4,   4,   3,   3,
    /*  71 */   3,   2,   2,   2,   2,   2,   2,   2,   2,   2,
    /*  81 */   2,   2,   2,   2,   2,   2,   2,   2,   2,   2,
    /*  91 */   1,   1,   1,   1,   1,   0,   1,   1,   1,   1,
    /* 101 */   1,   1,   1,   1,   1,   1,   1,   1,   1,   1,
    /* 111 */   1,   1,   1,   1,   1,   1,   1,   1,   1,   1,
    /* 121 */   1,   1,   1,   1,   1,   1,   1,
};

// SharpWave: a digital comb: every multiple of 7 strong, its upper neighbour weaker, its lower
// neighbour weaker still (up to the 90th).
constexpr std::uint8_t kSharpWaveLevels[127] = {
    /*   1 */ 255,  62,  89,   8,   3,  23, 159,   8,   0,   0,
    /*  11 */   0,   0,  16,  98,  23,   0,   0,   0,   0,  12,
    /*  21 */  74,  18,   0,   0,   0,   0,  10,  61,  15,   0,
    /*  31 */   0,   0,   0,   8,  52,  13,   0,   0,   0,   0,
    /*  41 */   7,  46,  11,   0,   0,   0,   0,   6,  41,  10,
    /*  51 */   0,   0,   0,   0,   6,  37,   9,   0,   0,   0,
    /*  61 */   0,   5,  34,   8,   0,   0,   0,   0,   5,  32,
    /*  71 */   8,   0,   0,   0,   0,   5,  30,   7,   0,   0,
    /*  81 */   0,   0,   4,  28,   7,   0,   0,   0,   0,   4,
    /*  91 */  27,   7,   0,   0,   0,   0,   0,  25,   6,   0,
    /* 101 */   0,   0,   0,   0,  24,   6,   0,   0,   0,   0,
    /* 111 */   0,  23,   6,   0,   0,   0,   0,   0,  22,   5,
    /* 121 */   0,   0,   0,   0,   0,  21,   5,
};

// MetallicWave: clusters of partials centred at 13, 23, 37, 52, 71, 94 and 118, spaced by
// irregular ratios so that they sound inharmonic, over a floor where even harmonics are stronger
// than odd; the weakest odd harmonics between clusters are absent.
constexpr std::uint8_t kMetallicWaveLevels[127] = {
    /*   1 */  44, 178,   8, 126,  11, 255,  17, 129,   7,  30,
    /*  11 */  53, 108, 124, 108,  53,  27,   7,  11,   6,  21,
    /*  21 */  38,  77,  88,  77,  38,  20,   5,   8,   3,   8,
    /*  31 */   3,   8,   5,  16,  29,  58,  67,  58,  29,  15,
    /*  41 */   4,   7,   3,   6,   0,   6,   3,   8,   9,  27,
    /*  51 */  44,  58,  44,  27,   9,   7,   0,   6,   0,   5,
    /*  61 */   0,   5,   0,   5,   0,   5,   3,  11,  20,  40,
    /*  71 */  46,  40,  20,  11,   3,   5,   0,   5,   0,   5,
    /*  81 */   0,   5,   0,   5,   0,   5,   0,   4,   0,   5,
    /*  91 */   7,  19,  31,  41,  31,  19,   7,   5,   0,   4,
    /* 101 */   0,   4,   0,   4,   0,   4,   0,   4,   0,   4,
    /* 111 */   0,   4,   0,   5,   6,  17,  27,  36,  27,  17,
    /* 121 */   6,   5,   0,   4,   0,   4,   2,
};

// FzReed: a strong odd series falling as about k^-0.6, the even harmonics a faint fuzz below it.
constexpr std::uint8_t kFzReedLevels[64] = {
    /*   1 */ 255,   2,  86, 107,  66,  22,  30,  43,  90,  11,
    /*  11 */  80,  10,  72,  10,  66,   9,  61,   8,  57,   8,
    /*  21 */  54,   8,  51,   7,  49,   7,  47,   7,  45,   7,
    /*  31 */  43,   6,  41,   6,  40,   6,  39,   6,  37,   6,
    /*  41 */  36,   6,  35,   5,  34,   5,  33,   5,  33,   5,
    /*  51 */  32,   5,  31,   5,  30,   5,  30,   5,  29,   5,
    /*  61 */  29,   5,  28,   4,
};

// DigiHarms: every sixth harmonic strong, its neighbours weaker, with two resonant regions around
// the 33rd and 77th; only the 96th is absent.
constexpr std::uint8_t kDigiHarmsLevels[127] = {
    /*   1 */  63, 144,  47,  34,  97, 255,  66,  15,   7,   7,
    /*  11 */  20,  78,  17,   6,   6,   6,  14,  60,  13,   6,
    /*  21 */   5,   5,  12,  49,  11,   5,   6,   8,  18,  62,
    /*  31 */  46,  58,  65,  58,  45,  58,  17,   7,   5,   5,
    /*  41 */   8,  35,   8,   4,   4,   4,   7,  32,   7,   4,
    /*  51 */   4,   4,   7,  30,   6,   4,   4,   4,   6,  28,
    /*  61 */   6,   4,   4,   4,   6,  26,   6,   4,   5,   6,
    /*  71 */  11,  35,  22,  28,  36,  42,  45,  62,  37,  28,
    /*  81 */  20,  14,  10,  26,   6,   4,   4,   4,   5,  22,
    /*  91 */   4,   4,   4,   4,   4,   0,   4,   3,   3,   3,
    /* 101 */   4,  21,   4,   3,   3,   3,   4,  20,   4,   3,
    /* 111 */   3,   3,   4,  19,   4,   3,   3,   3,   4,  19,
    /* 121 */   4,   3,   3,   3,   4,  18,   4,
};

// clang-format on

// A wave given by its level table: K is the length of the table.
template <int count>
constexpr WaveData levelWave(const char* shortName, const char* longName,
                             const std::uint8_t (&levels)[count])
{
    return {shortName, longName, HarmonicRule::kLevels, count, levels};
}

constexpr WaveData kWaves[kWaveCount] = {
    {"SAW", "Sawtooth", HarmonicRule::kSawtooth, 512, nullptr},
    {"TRI", "Triangle", HarmonicRule::kTriangle, 511, nullptr},
    {"SINE", "Sine", HarmonicRule::kSine, 1, nullptr},
    levelWave("PIANO", "Piano", kPianoLevels),
    levelWave("EPIANO", "EPiano", kEPianoLevels),
    levelWave("TINE", "Tine", kTineLevels),
    levelWave("HCHRD", "Harpsichord", kHarpsichordLevels),
    levelWave("ORGAN", "Organ", kOrganLevels),
    levelWave("BELL", "Bell", kBellLevels),
    levelWave("DBELL", "DigiBell", kDigiBellLevels),
    levelWave("GLOCK", "Glocken", kGlockenLevels),
    levelWave("PBELL", "OrientBell", kOrientBellLevels),
    levelWave("PSTRING", "PluckString", kPluckStringLevels),
    levelWave("EBASS", "EBass", kEBassLevels),
    levelWave("SPBASS", "SlapBass", kSlapBassLevels),
    levelWave("SYNBAS", "SynthBass", kSynthBassLevels),
    levelWave("BRASS", "Brass", kBrassLevels),
    levelWave("OBOE", "Oboe", kOboeLevels),
    // The short text of the sax is "SAW", the same as the sawtooth's; only the long name tells
    // them apart.
    levelWave("SAW", "Sax", kSaxLevels),
    levelWave("VOCAL1", "Vocal1", kVocal1Levels),
    levelWave("VOCAL2", "Vocal2", kVocal2Levels),
    levelWave("VOX", "VoxHumana", kVoxHumanaLevels),
    levelWave("SHARPWV", "SharpWave", kSharpWaveLevels),
    levelWave("METWAVE", "MetallicWave", kMetallicWaveLevels),
    levelWave("FZREED", "FzReed", kFzReedLevels),
    levelWave("DHARMS", "DigiHarms", kDigiHarmsLevels),
};

template <typename Member>
constexpr std::array<const char*, kWaveCount> collectNames(Member member)
{
    std::array<const char*, kWaveCount> names{};
    for (int wave = 0; wave < kWaveCount; ++wave)
    {
        names[static_cast<std::size_t>(wave)] = kWaves[wave].*member;
    }
    return names;
}

constexpr std::array<const char*, kWaveCount> kShortNames = collectNames(&WaveData::shortName);
constexpr std::array<const char*, kWaveCount> kLongNames = collectNames(&WaveData::longName);

} // namespace

const WaveData& getWaveData(int wave)
{
    const int clamped = wave < 0 ? 0 : (wave >= kWaveCount ? kWaveCount - 1 : wave);
    return kWaves[clamped];
}

const char* const* getWaveShortNames()
{
    return kShortNames.data();
}

const char* const* getWaveLongNames()
{
    return kLongNames.data();
}

double harmonicAmplitude(const WaveData& wave, int harmonic)
{
    if (harmonic < 1 || harmonic > wave.highestHarmonic)
    {
        return 0.0;
    }
    const double k = harmonic;
    switch (wave.rule)
    {
    case HarmonicRule::kSawtooth:
        return 1.0 / k;
    case HarmonicRule::kTriangle:
        return (harmonic & 1) != 0 ? 1.0 / (k * k) : 0.0;
    case HarmonicRule::kSine:
        return harmonic == 1 ? 1.0 : 0.0;
    case HarmonicRule::kLevels:
    default:
        return wave.levels[harmonic - 1];
    }
}
