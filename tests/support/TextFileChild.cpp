// A child program for the text-file tests:
//   textfile-child locks FREE PATH  - takes all but FREE locks of the pool,
//                                             then opens PATH and reads a line
//   textfile-child exit PATH        - writes a line and returns from main
//                                             without closing the file
#include <cstdlib>
#include <cstring>

#include "textfile/LockPool.h"
#include "textfile/TextFile.h"

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "locks") == 0) {
    // Nothing has taken a lock yet: the text-file layer creates its locks on first use.
    const size_t leftFree = static_cast<size_t>(std::atoi(argv[2]));
    for (size_t taken = 0; taken + leftFree < kLockPoolSize; ++taken)
      if (!TakeLockFromPool()) return 5;
    textfile::TextStream* stream = textfile::OpenTextFile(argv[3], "rt");
    if (!stream) return 4;
    char line[64];
    textfile::ReadTextLine(line, sizeof line, stream);
    textfile::CloseTextFile(stream);
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "exit") == 0) {
    textfile::TextStream* stream = textfile::OpenTextFile(argv[2], "wt");
    if (!stream) return 4;
    textfile::WriteTextLine("written before exit\n", 20, stream);
    return 0;  // the exit write-out puts the buffered line in the file
  }
  return 2;
}
