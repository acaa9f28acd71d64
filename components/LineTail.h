// Whether a circular delay line still holds sound: the frames since its last loud write.
#pragma once

#include <cmath>

// A line of L samples holds a tail while one of its last L writes lies above kFloor (-100 dBFS,
// below anything a 24-bit output resolves): older writes are overwritten or unreachable. With
// feedback every echo is written again, so a tail lasts until the echoes have decayed. Audio
// thread only: the effect notes each block's writes after rendering them.
class LineTail
{
public:
    static constexpr float kFloor = 1e-5f;

    // The lines were emptied.
    void clear() { quietFrames = kQuietForever; }

    // count samples were written into both lines from start, wrapping at length.
    void noteWrites(const float* left, const float* right, int start, int count, int length)
    {
        // The newest loud write decides; search from the end of the block.
        int position = start + count - 1;
        while (position >= length)
        {
            position -= length;
        }
        for (int back = 0; back < count; ++back)
        {
            if (std::fabs(left[position]) > kFloor || std::fabs(right[position]) > kFloor)
            {
                quietFrames = back;
                return;
            }
            position = position == 0 ? length - 1 : position - 1;
        }
        quietFrames = quietFrames > kQuietForever - count ? kQuietForever : quietFrames + count;
    }

    bool holds(int length) const { return quietFrames < length; }

private:
    static constexpr int kQuietForever = 1 << 30;

    int quietFrames = kQuietForever;
};
