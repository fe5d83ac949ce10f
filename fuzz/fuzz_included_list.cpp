// The included-object list reader on any bytes.
#include <cstddef>
#include <cstdint>

#include "drape/TIncObjList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kelvane::TIncObjList list;
  auto used = list.ReadIncludedList({data, size});
  if (used.ok() && (*used > size || *used != 4 + list.Count() * kelvane::kIncObjRecordSize)) __builtin_trap();
  return 0;
}
