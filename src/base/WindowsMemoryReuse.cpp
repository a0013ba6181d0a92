#include "base/MemoryReuse.h"

namespace velmaro {

// The Windows heap already keeps freed blocks of this size for the process and hands them out
// again, so there is nothing to tune.
void KeepFreedMemoryForReuse() {}

}  // namespace velmaro
