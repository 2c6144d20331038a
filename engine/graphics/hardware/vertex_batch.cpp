// The vertex batch and the scene bracket. Lines, boxes and quads are appended to the batch of
// their vertex format and drawn with one DrawPrimitiveUP when something would change what they
// are drawn with: another primitive type or format, a full buffer, a state change, a clear, a
// present or a new target.
#include "../graphics_state.h"
#include "hardware_state.h"

namespace {

VertexPlain PlainBuffer[VertexFormatCapacity[FormatPlain]];
VertexTextured TexturedBuffer[VertexFormatCapacity[FormatTextured]];
VertexTextured2 Textured2Buffer[VertexFormatCapacity[FormatTextured2]];

void* BufferStart(int format) {
  switch (format) {
    case FormatPlain:
      return PlainBuffer;
    case FormatTextured:
      return TexturedBuffer;
    default:
      return Textured2Buffer;
  }
}

}  // namespace

// Every vertex gets z 0 and rhw 1 once; writers fill only what they need.
void PrefillVertexBuffers() {
  for (VertexPlain& v : PlainBuffer) v = {0, 0, 0, 1.0f, 0};
  for (VertexTextured& v : TexturedBuffer) v = {0, 0, 0, 1.0f, 0, 0, 0};
  for (VertexTextured2& v : Textured2Buffer) v = {0, 0, 0, 1.0f, 0, 0xFFFFFFFFu, 0, 0, 0, 0};
  HardwareState.batch = {FormatTextured, D3DPT_TRIANGLELIST, 0, BufferStart(FormatTextured)};
}

int PrimitiveCount(D3DPRIMITIVETYPE type, int vertices) {
  switch (type) {
    case D3DPT_POINTLIST:
      return vertices;
    case D3DPT_LINELIST:
      return vertices / 2;
    case D3DPT_LINESTRIP:
      return vertices - 1;
    case D3DPT_TRIANGLELIST:
      return vertices / 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN:
      return vertices - 2;
  }
  return 0;
}

int FlushVertexBatch() {
  IDirect3DDevice9* device = GraphicsState.device;
  if (device == nullptr) return -1;
  VertexBatchRecord& batch = HardwareState.batch;
  if (batch.count == 0) return 0;
  SetDeviceFvf(VertexFormatFvf[batch.format]);
  const int primitives = PrimitiveCount(batch.type, batch.count);
  if (primitives > 0) {
    device->DrawPrimitiveUP(batch.type, static_cast<UINT>(primitives), BufferStart(batch.format),
                            static_cast<UINT>(VertexFormatStride[batch.format]));
  }
  batch.count = 0;
  batch.write = BufferStart(batch.format);
  return 0;
}

void* ReserveVertices(int format, D3DPRIMITIVETYPE type, int count, bool quads) {
  VertexBatchRecord& batch = HardwareState.batch;
  const int capacity = VertexFormatCapacity[format];
  // Quads keep one slot spare: a batch never ends exactly full.
  const bool full = quads ? batch.count + count >= capacity : batch.count + count > capacity;
  if (batch.format != format || batch.type != type || full) {
    FlushVertexBatch();
    batch.format = format;
    batch.type = type;
    batch.count = 0;
    batch.write = BufferStart(format);
  }
  return batch.write;
}

void CommitVertices(int count) {
  VertexBatchRecord& batch = HardwareState.batch;
  batch.count += count;
  batch.write = static_cast<char*>(batch.write) + static_cast<std::ptrdiff_t>(count) * VertexFormatStride[batch.format];
}

void OpenScene() {
  if (GraphicsState.device == nullptr || HardwareState.sceneOpen) return;
  GraphicsState.device->BeginScene();
  HardwareState.sceneOpen = 1;
}

void CloseScene() {
  if (GraphicsState.device == nullptr) return;
  FlushVertexBatch();
  if (!HardwareState.sceneOpen) return;
  GraphicsState.device->EndScene();
  HardwareState.sceneOpen = 0;
}
