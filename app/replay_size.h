// The largest replay file the game can make, from the longest tick record
// the recorder writes; what a sender and the score board refuse unread.
#pragma once
#include <cstdint>

#include "app/replay.h"
#include "platform/input_replay.h"

// The most bytes one frame's changes take (app/replay.cpp's layout): 256
// keys of 3 bytes (tag, code, level), the pointer's 9, the mouse buttons'
// and the joystick count's 2 each, and on every port its buttons' 6 and 7
// for each axis (tag, port, axis, float).
constexpr uint64_t kMaxFrameChangeBytes = 256 * 3 + 9 + 2 + 2 + MAX_JOYPORTS * (6 + JOY_AXES * 7);
// The most one tick's record holds as the recorder writes it: the count
// (5 bytes at most), the changes of two frames (the levels read and, after
// the "then" mark, those the tick ended with), the focus mark and a checkpoint.
constexpr uint64_t kMaxTickRecordBytes = 5 + 2 * kMaxFrameChangeBytes + 1 + 1 + (1 + 8 * RP_COUNT);
// The header at its longest: magic, format, the version text at 32 bytes,
// generator state, settings, ticks, score, clock and the two lengths.
constexpr uint64_t kMaxReplayHeaderBytes = 4 + 2 + 1 + 32 + 8 + 2 + 4 * REPLAY_SETTINGS + 4 + 8 + 8 + 4 + 4;
// The longest body a replay can declare: its ticks at their fullest, or the
// body cap, whichever comes first.
constexpr uint64_t kMaxReplayBodyBytes = REPLAY_MAX_TICKS * kMaxTickRecordBytes < REPLAY_MAX_BODY
                                             ? REPLAY_MAX_TICKS * kMaxTickRecordBytes
                                             : REPLAY_MAX_BODY;
// zlib's own bound on what packing n bytes can make (stored blocks at worst).
constexpr uint64_t PackedBound(uint64_t n) { return n + (n >> 12) + (n >> 14) + (n >> 25) + 13; }
// The largest replay file the game can make; an upload over this is refused unread.
constexpr uint64_t kMaxUploadBytes = kMaxReplayHeaderBytes + PackedBound(kMaxReplayBodyBytes);
