// The verify command on its own, for builds that have no window to open: the web build runs it
// under node to prove that recordings made on the desktop replay there bit for bit.
//
//     burrowgale_verify FILE...      (the web build names it burrowgale-verify.js)
//
// Prints for each file what `burrowgale --verify FILE` prints, and exits with the worst status
// of the files: 0 all replay as recorded, 3 one differs, 2 one could not be read.
#include <algorithm>
#include <cstdio>

#include "game/profile/replay_io.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: burrowgale-verify FILE...\n");
        return kVerifyBadFile;
    }
    int worst = kVerifyMatch;
    for (int i = 1; i < argc; ++i) {
        // The statuses rise with the news: a differing game (3) outranks an unreadable file (2).
        worst = std::max(worst, verify_replay_file(argv[i], stdout, stderr));
    }
    return worst;
}
