// The recording device's calls as text, for failure messages (see fake_d3d9.h).
#include <cstdio>
#include <string>

#include "fake_d3d9.h"

namespace fake {
namespace {

const char* Name(D3DRENDERSTATETYPE state) {
  switch (state) {
    case D3DRS_ZENABLE:
      return "ZENABLE";
    case D3DRS_FILLMODE:
      return "FILLMODE";
    case D3DRS_SHADEMODE:
      return "SHADEMODE";
    case D3DRS_ZWRITEENABLE:
      return "ZWRITEENABLE";
    case D3DRS_ALPHATESTENABLE:
      return "ALPHATESTENABLE";
    case D3DRS_LASTPIXEL:
      return "LASTPIXEL";
    case D3DRS_SRCBLEND:
      return "SRCBLEND";
    case D3DRS_DESTBLEND:
      return "DESTBLEND";
    case D3DRS_CULLMODE:
      return "CULLMODE";
    case D3DRS_ZFUNC:
      return "ZFUNC";
    case D3DRS_ALPHAREF:
      return "ALPHAREF";
    case D3DRS_ALPHAFUNC:
      return "ALPHAFUNC";
    case D3DRS_DITHERENABLE:
      return "DITHERENABLE";
    case D3DRS_ALPHABLENDENABLE:
      return "ALPHABLENDENABLE";
    case D3DRS_FOGENABLE:
      return "FOGENABLE";
    case D3DRS_SPECULARENABLE:
      return "SPECULARENABLE";
    case D3DRS_TEXTUREFACTOR:
      return "TEXTUREFACTOR";
    case D3DRS_LIGHTING:
      return "LIGHTING";
    case D3DRS_AMBIENT:
      return "AMBIENT";
    case D3DRS_COLORVERTEX:
      return "COLORVERTEX";
    case D3DRS_DIFFUSEMATERIALSOURCE:
      return "DIFFUSEMATERIALSOURCE";
    case D3DRS_AMBIENTMATERIALSOURCE:
      return "AMBIENTMATERIALSOURCE";
    case D3DRS_BLENDOP:
      return "BLENDOP";
    case D3DRS_SCISSORTESTENABLE:
      return "SCISSORTESTENABLE";
  }
  return "?";
}

const char* Name(D3DSAMPLERSTATETYPE state) {
  switch (state) {
    case D3DSAMP_ADDRESSU:
      return "ADDRESSU";
    case D3DSAMP_ADDRESSV:
      return "ADDRESSV";
    case D3DSAMP_ADDRESSW:
      return "ADDRESSW";
    case D3DSAMP_BORDERCOLOR:
      return "BORDERCOLOR";
    case D3DSAMP_MAGFILTER:
      return "MAGFILTER";
    case D3DSAMP_MINFILTER:
      return "MINFILTER";
    case D3DSAMP_MIPFILTER:
      return "MIPFILTER";
    case D3DSAMP_MIPMAPLODBIAS:
      return "MIPMAPLODBIAS";
    case D3DSAMP_MAXMIPLEVEL:
      return "MAXMIPLEVEL";
    case D3DSAMP_MAXANISOTROPY:
      return "MAXANISOTROPY";
  }
  return "?";
}

const char* Name(D3DTEXTURESTAGESTATETYPE state) {
  switch (state) {
    case D3DTSS_COLOROP:
      return "COLOROP";
    case D3DTSS_COLORARG1:
      return "COLORARG1";
    case D3DTSS_COLORARG2:
      return "COLORARG2";
    case D3DTSS_ALPHAOP:
      return "ALPHAOP";
    case D3DTSS_ALPHAARG1:
      return "ALPHAARG1";
    case D3DTSS_ALPHAARG2:
      return "ALPHAARG2";
    case D3DTSS_TEXCOORDINDEX:
      return "TEXCOORDINDEX";
    case D3DTSS_COLORARG0:
      return "COLORARG0";
    case D3DTSS_ALPHAARG0:
      return "ALPHAARG0";
    case D3DTSS_RESULTARG:
      return "RESULTARG";
  }
  return "?";
}

const char* Name(D3DPRIMITIVETYPE type) {
  switch (type) {
    case D3DPT_POINTLIST:
      return "POINTLIST";
    case D3DPT_LINELIST:
      return "LINELIST";
    case D3DPT_LINESTRIP:
      return "LINESTRIP";
    case D3DPT_TRIANGLELIST:
      return "TRIANGLELIST";
    case D3DPT_TRIANGLESTRIP:
      return "TRIANGLESTRIP";
    case D3DPT_TRIANGLEFAN:
      return "TRIANGLEFAN";
  }
  return "?";
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string Rect(const std::optional<D3dRect>& rect) {
  if (!rect) return "null";
  char text[80];
  std::snprintf(text, sizeof text, "(%d, %d, %d, %d)", rect->left, rect->top, rect->right, rect->bottom);
  return text;
}

std::string Hex(std::int64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(value));
  return text;
}

std::string Colour(std::int64_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
  return text;
}

std::string VertexLine(const D3dVertex& v) {
  std::string text = " ";
  if (v.positioned) {
    text += " (" + Number(v.x) + ", " + Number(v.y) + ", " + Number(v.z) + ", " + Number(v.rhw) + ")";
  }
  if (v.diffuse) text += " diffuse " + Colour(*v.diffuse);
  if (v.specular) text += " specular " + Colour(*v.specular);
  for (const auto& [u, t] : v.uv) text += " uv (" + Number(u) + ", " + Number(t) + ")";
  return text;
}

// The line of a call whose arguments are all numbers, in the order given.
std::string Numbers(const char* name, const std::vector<std::int64_t>& n) {
  std::string text = std::string(name) + "(";
  for (size_t i = 0; i < n.size(); ++i) text += (i == 0 ? "" : ", ") + std::to_string(n[i]);
  return text + ")";
}

std::string Line(const D3dCall& c) {
  const auto& n = c.numbers;
  const auto& o = c.objects;
  const auto u = [&n](size_t i) { return std::to_string(static_cast<unsigned>(n[i])); };
  const auto d = [&n](size_t i) { return std::to_string(static_cast<int>(n[i])); };
  const std::string result = c.result.empty() ? "" : " = " + c.result;
  switch (c.kind) {
    case D3dCallKind::Direct3DCreate9:
      return "Direct3DCreate9(" + u(0) + ")" + result;
    case D3dCallKind::GetAdapterDisplayMode:
      return Numbers("GetAdapterDisplayMode", n);
    case D3dCallKind::GetAdapterModeCount:
      return Numbers("GetAdapterModeCount", n);
    case D3dCallKind::CheckDeviceMultiSampleType:
      return Numbers("CheckDeviceMultiSampleType", n) + result;
    case D3dCallKind::CheckDepthStencilMatch:
      return Numbers("CheckDepthStencilMatch", n) + result;
    case D3dCallKind::CheckDeviceFormat:
      return "CheckDeviceFormat(" + u(0) + ", " + u(1) + ", " + u(2) + ", " + Hex(n[3]) + ", " + u(4) + ", " + u(5) +
             ")" + result;
    case D3dCallKind::CreateDevice:
      return "CreateDevice(" + u(0) + ", " + u(1) + ", " + o[0] + ", " + Hex(n[2]) + ", {" + u(3) + "x" + u(4) +
             " format " + u(5) + " count " + u(6) + " multisample " + u(7) + "/" + u(8) + " swap " + u(9) + " " + o[1] +
             " windowed " + d(10) + " autodepth " + d(11) + " flags " + Hex(n[12]) + " rate " + u(13) + " interval " +
             Hex(n[14]) + "})" + result;
    case D3dCallKind::GetDeviceCaps:
      return "GetDeviceCaps";
    case D3dCallKind::GetBackBuffer:
      return Numbers("GetBackBuffer", n);
    case D3dCallKind::GetSwapChain:
      return Numbers("GetSwapChain", n);
    case D3dCallKind::Reset:
      return "Reset(" + u(0) + "x" + u(1) + ", format " + u(2) + ", count " + u(3) + ", swap " + u(4) + ", windowed " +
             d(5) + ", interval " + Hex(n[6]) + ")";
    case D3dCallKind::Present:
      return "Present(" + Rect(c.rects[0]) + ", " + Rect(c.rects[1]) + ", " + o[0] + ", " + o[1] + ")";
    case D3dCallKind::SwapChainPresent:
      return "SwapChain.Present(" + Rect(c.rects[0]) + ", " + Rect(c.rects[1]) + ", " + o[0] + ", " + o[1] + ", " +
             Hex(n[0]) + ")";
    case D3dCallKind::BeginScene:
      return "BeginScene";
    case D3dCallKind::EndScene:
      return "EndScene";
    case D3dCallKind::Clear:
      return "Clear(" + u(0) + ", " + o[0] + ", " + Hex(n[1]) + ", " + Colour(n[2]) + ", " + Number(c.reals[0]) + ", " +
             u(3) + ")";
    case D3dCallKind::ColorFill:
      return "ColorFill(" + o[0] + ", " + Rect(c.rects[0]) + ", " + Colour(n[0]) + ")";
    case D3dCallKind::StretchRect:
      return "StretchRect(" + o[0] + ", " + Rect(c.rects[0]) + ", " + o[1] + ", " + Rect(c.rects[1]) + ", " + u(0) +
             ")";
    case D3dCallKind::CreateTexture:
      return "CreateTexture(" + u(0) + ", " + u(1) + ", " + u(2) + ", " + Hex(n[3]) + ", " + u(4) + ", " + u(5) + ")" +
             result;
    case D3dCallKind::CreateRenderTarget:
      return "CreateRenderTarget(" + u(0) + ", " + u(1) + ", " + u(2) + ", " + u(3) + ", " + u(4) + ", " + d(5) + ")" +
             result;
    case D3dCallKind::CreateDepthStencilSurface:
      return "CreateDepthStencilSurface(" + u(0) + ", " + u(1) + ", " + u(2) + ", " + u(3) + ", " + u(4) + ", " + d(5) +
             ")" + result;
    case D3dCallKind::SetRenderTarget:
      return "SetRenderTarget(" + u(0) + ", " + o[0] + ")";
    case D3dCallKind::SetDepthStencilSurface:
      return "SetDepthStencilSurface(" + o[0] + ")";
    case D3dCallKind::SetViewport:
      return "SetViewport(" + u(0) + ", " + u(1) + ", " + u(2) + ", " + u(3) + ", " + Number(c.reals[0]) + ", " +
             Number(c.reals[1]) + ")";
    case D3dCallKind::SetScissorRect:
      return "SetScissorRect(" + Rect(c.rects[0]) + ")";
    case D3dCallKind::SetRenderState:
      return std::string("SetRenderState(") + Name(static_cast<D3DRENDERSTATETYPE>(n[0])) + ", " + u(1) + ")";
    case D3dCallKind::SetSamplerState:
      return "SetSamplerState(" + u(0) + ", " + Name(static_cast<D3DSAMPLERSTATETYPE>(n[1])) + ", " + u(2) + ")";
    case D3dCallKind::SetTextureStageState:
      return "SetTextureStageState(" + u(0) + ", " + Name(static_cast<D3DTEXTURESTAGESTATETYPE>(n[1])) + ", " + u(2) +
             ")";
    case D3dCallKind::SetTexture:
      return "SetTexture(" + u(0) + ", " + o[0] + ")";
    case D3dCallKind::SetVertexShader:
      return "SetVertexShader(" + o[0] + ")";
    case D3dCallKind::SetPixelShader:
      return "SetPixelShader(" + o[0] + ")";
    case D3dCallKind::SetVertexShaderConstantF:
    case D3dCallKind::SetPixelShaderConstantF: {
      std::string constants;
      for (size_t i = 0; i < c.reals.size(); ++i) constants += (i == 0 ? "" : ", ") + Number(c.reals[i]);
      return std::string(c.kind == D3dCallKind::SetVertexShaderConstantF ? "SetVertexShaderConstantF("
                                                                         : "SetPixelShaderConstantF(") +
             u(0) + ", {" + constants + "}, " + u(1) + ")";
    }
    case D3dCallKind::SetFVF:
      return "SetFVF(" + Hex(n[0]) + ")";
    case D3dCallKind::DrawPrimitiveUP:
      return std::string("DrawPrimitiveUP(") + Name(static_cast<D3DPRIMITIVETYPE>(n[0])) + ", " + u(1) + ", " + u(2) +
             ")";
  }
  return "?";
}

}  // namespace

std::string FormatD3dCall(const D3dCall& call) {
  std::string text = Line(call) + "\n";
  for (const D3dVertex& v : call.vertices) text += VertexLine(v) + "\n";
  return text;
}

std::string D3dDump() {
  std::string dump;
  for (const D3dCall& call : D3dCallRecords()) dump += FormatD3dCall(call);
  return dump;
}

}  // namespace fake
