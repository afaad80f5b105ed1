// Recordings as files: reading one, and the verify command that replays one and prints the
// verdict. The rules take the bytes (parse_replay) and the replay (run_replay); the file and the
// printing are kept out here.
#pragma once

#include <cstdio>
#include <string>

#include "game/world/replay.h"

// Reads and decodes a file. On failure `error` is one line naming the file and the problem.
bool load_replay(const std::string& path, Replay& out, std::string& error);

// Exit statuses of the verify command.
constexpr int kVerifyMatch = 0;
constexpr int kVerifyBadFile = 2;
constexpr int kVerifyDiffers = 3;

// The verify command: loads `path`, replays it and prints what it reached beside what was
// recorded on `out`, or one line naming the file and its problem on `err`.
int verify_replay_file(const std::string& path, std::FILE* out, std::FILE* err);
