// A stand-in for the JV-Link automation component, for tests on Windows (and under wine): a
// 32-bit in-process COM server with a hand-written IDispatch (no type library) under the
// component's ProgID, serving the replay feed folder named by the environment variable
// KORVANE_STANDIN_FEED (the feed format of the README; inject.txt scripts result codes). It
// takes the component's method names, parameter kinds and result codes: strings as BSTR,
// numbers as long, out-parameters by reference; records as UTF-16 text with their CP932 length
// in the size out-parameter. It never ships.
#include <objbase.h>
#include <oleauto.h>
#include <olectl.h>
#include <windows.h>

#include <atomic>
#include <cwchar>
#include <memory>
#include <string>

#include "app/LocalClock.h"
#include "jvlink/ComJVLink.h"
#include "jvlink/ReplayJVLink.h"
#include "text/Cp932.h"

namespace {

// {6B1F3A52-9C47-4E0B-A1D2-5F03C8E7B914}
const CLSID kClsid = {0x6b1f3a52, 0x9c47, 0x4e0b, {0xa1, 0xd2, 0x5f, 0x03, 0xc8, 0xe7, 0xb9, 0x14}};
const wchar_t kClsidText[] = L"{6B1F3A52-9C47-4E0B-A1D2-5F03C8E7B914}";

HMODULE g_module = nullptr;
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

enum Dispid : DISPID {
  kInit = 1, kSetUI, kOpen, kStatus, kRead, kRTOpen, kCancel, kClose, kVersion,
};

struct Name {
  const wchar_t* name;
  DISPID id;
};
constexpr Name kNames[] = {
    {L"JVInit", kInit},   {L"JVSetUIProperties", kSetUI}, {L"JVOpen", kOpen},   {L"JVStatus", kStatus},
    {L"JVRead", kRead},   {L"JVRTOpen", kRTOpen},         {L"JVCancel", kCancel}, {L"JVClose", kClose},
    {L"m_JVLinkVersion", kVersion},
};

std::string Utf8Of(const wchar_t* w, size_t n) {
  std::string out;
  kv::Utf16ToUtf8(std::string_view(reinterpret_cast<const char*>(w), n * sizeof(wchar_t)), false, out);
  return out;
}

BSTR BstrOfUtf8(const std::string& utf8) {
  const std::string u16 = kv::Utf8ToUtf16(utf8, false);
  return ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(u16.data()), static_cast<UINT>(u16.size() / 2));
}

std::string FeedFolder() {
  const wchar_t* v = ::_wgetenv(L"KORVANE_STANDIN_FEED");
  return v ? Utf8Of(v, std::wcslen(v)) : std::string();
}

// The i-th argument as written (IDispatch passes them last first).
VARIANT* Arg(DISPPARAMS* p, UINT i) { return &p->rgvarg[p->cArgs - 1 - i]; }

bool StringArg(VARIANT* v, std::string& out) {
  VARIANT t;
  ::VariantInit(&t);
  if (FAILED(::VariantChangeType(&t, v, 0, VT_BSTR))) return false;
  out = Utf8Of(t.bstrVal, ::SysStringLen(t.bstrVal));
  ::VariantClear(&t);
  return true;
}

bool LongArg(VARIANT* v, long& out) {
  VARIANT t;
  ::VariantInit(&t);
  if (FAILED(::VariantChangeType(&t, v, 0, VT_I4))) return false;
  out = t.lVal;
  return true;
}

bool SetLong(VARIANT* v, long n) {
  if (v->vt != (VT_I4 | VT_BYREF)) return false;
  *v->plVal = n;
  return true;
}

bool SetString(VARIANT* v, const std::string& utf8) {
  if (v->vt != (VT_BSTR | VT_BYREF)) return false;
  ::SysFreeString(*v->pbstrVal);
  *v->pbstrVal = BstrOfUtf8(utf8);
  return true;
}

class ReplayComponent : public IDispatch {
 public:
  ReplayComponent() : replay_(FeedFolder(), clock_) { ++g_objects; }
  virtual ~ReplayComponent() { --g_objects; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    if (n) *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
      ids[i] = DISPID_UNKNOWN;
      if (i > 0) {  // named parameters are not supported
        hr = DISP_E_UNKNOWNNAME;
        continue;
      }
      for (const Name& n : kNames)
        if (::_wcsicmp(names[i], n.name) == 0) ids[i] = n.id;
      if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT* result, EXCEPINFO*,
                                   UINT* argErr) override {
    if (!p) return E_INVALIDARG;
    if (p->cNamedArgs > 0 && !(flags & DISPATCH_PROPERTYPUT)) return DISP_E_NONAMEDARGS;
    if (id == kVersion) {
      if (!(flags & DISPATCH_PROPERTYGET) || p->cArgs != 0) return DISP_E_MEMBERNOTFOUND;
      if (result) {
        ::VariantInit(result);
        result->vt = VT_BSTR;
        result->bstrVal = BstrOfUtf8(replay_.Version());
      }
      return S_OK;
    }
    if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    long code = 0;
    const HRESULT hr = Call(id, p, code, argErr);
    if (FAILED(hr)) return hr;
    if (result) {
      ::VariantInit(result);
      if (id != kCancel) {
        result->vt = VT_I4;
        result->lVal = code;
      }
    }
    return S_OK;
  }

 private:
  HRESULT Call(DISPID id, DISPPARAMS* p, long& code, UINT* argErr) {
    auto count = [&](UINT n) { return p->cArgs == n; };
    auto bad = [&](UINT i) {
      if (argErr) *argErr = p->cArgs - 1 - i;
      return DISP_E_TYPEMISMATCH;
    };
    switch (id) {
      case kInit: {
        if (!count(1)) return DISP_E_BADPARAMCOUNT;
        std::string sid;
        if (!StringArg(Arg(p, 0), sid)) return bad(0);
        code = replay_.JVInit(sid);
        return S_OK;
      }
      case kSetUI:
        if (!count(0)) return DISP_E_BADPARAMCOUNT;
        code = replay_.JVSetUIProperties();
        return S_OK;
      case kOpen: {
        if (!count(6)) return DISP_E_BADPARAMCOUNT;
        std::string spec, from;
        long option = 0;
        if (!StringArg(Arg(p, 0), spec)) return bad(0);
        if (!StringArg(Arg(p, 1), from)) return bad(1);
        if (!LongArg(Arg(p, 2), option)) return bad(2);
        for (UINT i : {3u, 4u})
          if (Arg(p, i)->vt != (VT_I4 | VT_BYREF)) return bad(i);
        if (Arg(p, 5)->vt != (VT_BSTR | VT_BYREF)) return bad(5);
        const kv::JVOpenResult r = replay_.JVOpen(spec, from, static_cast<int>(option));
        code = r.code;
        SetLong(Arg(p, 3), r.readCount);
        SetLong(Arg(p, 4), r.downloadCount);
        SetString(Arg(p, 5), r.lastFileTimestamp);
        return S_OK;
      }
      case kStatus:
        if (!count(0)) return DISP_E_BADPARAMCOUNT;
        code = replay_.JVStatus();
        return S_OK;
      case kRead: {
        if (!count(3)) return DISP_E_BADPARAMCOUNT;
        if (Arg(p, 0)->vt != (VT_BSTR | VT_BYREF)) return bad(0);
        if (Arg(p, 1)->vt != (VT_I4 | VT_BYREF)) return bad(1);
        if (Arg(p, 2)->vt != (VT_BSTR | VT_BYREF)) return bad(2);
        const long buffer = *Arg(p, 1)->plVal;
        const kv::JVReadResult r = replay_.JVRead(buffer > 0 ? static_cast<int>(buffer) : 110000);
        code = r.code;
        SetString(Arg(p, 0), r.code > 0 ? kv::ToUtf8(r.record) : std::string());
        SetLong(Arg(p, 1), r.code > 0 ? static_cast<long>(r.record.size()) : 0);
        SetString(Arg(p, 2), r.fileName);
        return S_OK;
      }
      case kRTOpen: {
        if (!count(2)) return DISP_E_BADPARAMCOUNT;
        std::string spec, key;
        if (!StringArg(Arg(p, 0), spec)) return bad(0);
        if (!StringArg(Arg(p, 1), key)) return bad(1);
        code = replay_.JVRTOpen(spec, key);
        return S_OK;
      }
      case kCancel:
        if (!count(0)) return DISP_E_BADPARAMCOUNT;
        replay_.JVCancel();
        return S_OK;
      case kClose:
        if (!count(0)) return DISP_E_BADPARAMCOUNT;
        code = replay_.JVClose();
        return S_OK;
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }

  std::atomic<ULONG> refs_{1};
  kv::LocalClock clock_;
  kv::ReplayJVLink replay_;
};

class Factory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // a static object
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    ReplayComponent* c = new (std::nothrow) ReplayComponent;
    if (!c) return E_OUTOFMEMORY;
    const HRESULT hr = c->QueryInterface(iid, out);
    c->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) ++g_locks;
    else --g_locks;
    return S_OK;
  }
};

Factory g_factory;

bool SetKey(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
  HKEY k;
  if (::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) != ERROR_SUCCESS)
    return false;
  const LONG rc = ::RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  ::RegCloseKey(k);
  return rc == ERROR_SUCCESS;
}

std::wstring ProgId() {
  const std::string p = kv::kJVLinkProgId;
  return std::wstring(p.begin(), p.end());
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    ::DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

__declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (clsid != kClsid) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(iid, out);
}

__declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE;
}

__declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
  wchar_t file[MAX_PATH];
  const DWORD n = ::GetModuleFileNameW(g_module, file, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return SELFREG_E_CLASS;
  const std::wstring clsidKey = std::wstring(L"CLSID\\") + kClsidText;
  const bool ok = SetKey(HKEY_CLASSES_ROOT, ProgId(), nullptr, L"Replay feed component (tests)") &&
                  SetKey(HKEY_CLASSES_ROOT, ProgId() + L"\\CLSID", nullptr, kClsidText) &&
                  SetKey(HKEY_CLASSES_ROOT, clsidKey, nullptr, L"Replay feed component (tests)") &&
                  SetKey(HKEY_CLASSES_ROOT, clsidKey + L"\\ProgID", nullptr, ProgId()) &&
                  SetKey(HKEY_CLASSES_ROOT, clsidKey + L"\\InprocServer32", nullptr, file) &&
                  SetKey(HKEY_CLASSES_ROOT, clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
  return ok ? S_OK : SELFREG_E_CLASS;
}

__declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() {
  ::RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + kClsidText).c_str());
  ::RegDeleteTreeW(HKEY_CLASSES_ROOT, ProgId().c_str());
  return S_OK;
}

}  // extern "C"
