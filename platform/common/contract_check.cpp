// Linked against each platform's objects before its library is archived: every function of the
// contract must resolve, or that platform does not build.
#include <cstddef>

#include "platform_contract.h"

int main() {
  std::size_t missing = 0;
  for (const void* function : platform_contract::Functions) missing += function == nullptr;
  return missing == 0 ? 0 : 1;
}
