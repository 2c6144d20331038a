// What every platform handle points at. Each kind of object derives from it; CloseHandle and
// the other releasing calls check the kind before they touch anything.
#pragma once

#include "platform/win32_types.h"

enum class PlatformObjectKind {
  Event,
  Window,
  DeviceContext,
  Library,
  File,
  Heap,
  MemoryDeviceContext,
  Font,
  Module,
  Resource,
  InputContext,
  Desktop,
};

struct PlatformObject {
  explicit PlatformObject(PlatformObjectKind k) : kind(k) {}
  virtual ~PlatformObject() = default;
  PlatformObject(const PlatformObject&) = delete;
  PlatformObject& operator=(const PlatformObject&) = delete;

  const PlatformObjectKind kind;
};
