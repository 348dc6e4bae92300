// The text-file layer's process-wide error number: why the last failing
// operation failed, as an errno value and the platform error behind it.
#pragma once

namespace textfile {

// Why the last failing operation failed: an errno value (ENOENT, EACCES,
// ENOSPC, ...) and the platform error code behind it, if any.
int LastErrorNumber();
unsigned long LastSystemError();

// Set by the layer's operations when they fail.
void SetErrorNumber(int errorNumber, unsigned long systemError = 0);
// The errno value that a platform error code maps to, set with the code.
void SetErrorFromSystem(unsigned long systemError);

}  // namespace textfile
