#pragma once
// Another program holding a file: a second process that keeps a shared or an exclusive lock on
// it until the HeldFile object goes. On POSIX systems a forked child locks it with flock; on
// Windows a second Windows program (velmaro-hold-file) locks the whole file with LockFileEx.

#ifdef _WIN32
#include "support/WindowsHeldFile.h"
#else
#include "support/PosixHeldFile.h"
#endif
