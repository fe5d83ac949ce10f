// Any bytes given to the grid stream reader end in "Stream read error" or a grid whose
// arrays the stream really held.
#include <cstddef>
#include <cstdint>

#include "drape/KVXGridTools.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto g = kelvane::ReadGridStream({data, size});
  if (g.ok() && g->Nodes.size() * 20 + g->Cells.size() * 28 + 31 > size) __builtin_trap();
  return 0;
}
