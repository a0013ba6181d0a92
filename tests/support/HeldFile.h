#pragma once
// Another program holding a file: a second process that keeps a shared or an exclusive lock on
// it, or keeps it open for itself alone, until the HeldFile object goes. On POSIX systems a
// forked child locks it with a record lock (or opens it with none, what a Windows program's
// share mode leaves to see through Wine); on Windows a second Windows program
// (velmaro-hold-file) locks the whole file with LockFileEx (or opens it with share mode 0).

#ifdef _WIN32
#include "support/WindowsHeldFile.h"
#else
#include "support/PosixHeldFile.h"
#endif
