#include "jvlink/ComJVLink.h"

#ifdef _WIN32

#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include <map>
#include <vector>

#include "text/Cp932.h"

namespace kv {
namespace {

// The code a call answers when COM itself failed (the object vanished, a method is missing):
// the component's "internal error".
constexpr int kComFailure = -401;

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// A BSTR that frees itself.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const std::string& ascii) : s_(::SysAllocString(Wide(ascii).c_str())) {}
  ~Bstr() { ::SysFreeString(s_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR* Out() {
    ::SysFreeString(s_);
    s_ = nullptr;
    return &s_;
  }
  BSTR get() const { return s_; }
  // The text as UTF-8 (the component's strings are UTF-16).
  std::string Utf8() const {
    if (!s_) return {};
    const std::string_view bytes(reinterpret_cast<const char*>(s_), ::SysStringLen(s_) * sizeof(wchar_t));
    std::string out;
    Utf16ToUtf8(bytes, false, out);
    return out;
  }

 private:
  BSTR s_ = nullptr;
};

VARIANT InBstr(const Bstr& b) {
  VARIANT v;
  ::VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = b.get();  // borrowed: the Bstr frees it
  return v;
}
VARIANT InLong(long n) {
  VARIANT v;
  ::VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = n;
  return v;
}
VARIANT RefLong(LONG* p) {
  VARIANT v;
  ::VariantInit(&v);
  v.vt = VT_I4 | VT_BYREF;
  v.plVal = p;
  return v;
}
VARIANT RefBstr(Bstr& b) {
  VARIANT v;
  ::VariantInit(&v);
  v.vt = VT_BSTR | VT_BYREF;
  v.pbstrVal = b.Out();
  return v;
}

class ComJVLink : public JVLink {
 public:
  explicit ComJVLink(std::string progId) : progId_(std::move(progId)) {}
  ~ComJVLink() override {
    if (disp_) disp_->Release();
    if (comInitialised_) ::CoUninitialize();
  }

  bool Available() const override { return Object() != nullptr; }

  int JVInit(const std::string& sid) override {
    Bstr s(sid);
    return CallLong(L"JVInit", {InBstr(s)});
  }

  std::string Version() const override {
    IDispatch* d = Object();
    DISPID id;
    if (!d || !Id(L"m_JVLinkVersion", id)) return {};
    DISPPARAMS params{nullptr, nullptr, 0, 0};
    VARIANT result;
    ::VariantInit(&result);
    std::string v;
    if (SUCCEEDED(d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &params, &result, nullptr,
                            nullptr)) &&
        SUCCEEDED(::VariantChangeType(&result, &result, 0, VT_BSTR))) {
      Bstr text;
      *text.Out() = result.bstrVal;  // the Bstr now owns it
      result.vt = VT_EMPTY;
      v = text.Utf8();
    }
    ::VariantClear(&result);
    return v;
  }

  int JVSetUIProperties() override { return CallLong(L"JVSetUIProperties", {}); }

  JVOpenResult JVOpen(const std::string& dataspec, const std::string& fromTime, int option) override {
    Bstr spec(dataspec), from(fromTime), last;
    LONG readCount = 0, downloadCount = 0;
    JVOpenResult r;
    r.code = CallLong(L"JVOpen", {InBstr(spec), InBstr(from), InLong(option), RefLong(&readCount),
                                  RefLong(&downloadCount), RefBstr(last)});
    r.readCount = static_cast<int>(readCount);
    r.downloadCount = static_cast<int>(downloadCount);
    r.lastFileTimestamp = last.Utf8();
    return r;
  }

  int JVStatus() override { return CallLong(L"JVStatus", {}); }

  JVReadResult JVRead(int bufferSize) override {
    Bstr buff, file;
    LONG size = bufferSize;
    JVReadResult r;
    r.code = CallLong(L"JVRead", {RefBstr(buff), RefLong(&size), RefBstr(file)});
    r.fileName = file.Utf8();
    if (r.code > 0) {
      // The record comes as UTF-16; its length in CP932 bytes is the size out-parameter, which
      // is what counts (the text may carry more or fewer characters than the record holds).
      std::string record = ToCp932(buff.Utf8());
      const size_t n = size > 0 ? static_cast<size_t>(size) : 0;
      record.resize(n, ' ');
      r.record = std::move(record);
    }
    return r;
  }

  int JVRTOpen(const std::string& dataspec, const std::string& key) override {
    Bstr spec(dataspec), k(key);
    return CallLong(L"JVRTOpen", {InBstr(spec), InBstr(k)});
  }

  void JVCancel() override { CallLong(L"JVCancel", {}); }

  int JVClose() override { return CallLong(L"JVClose", {}); }

 private:
  // The component's IDispatch, created on the first call (nullptr when it cannot be).
  IDispatch* Object() const {
    if (tried_) return disp_;
    tried_ = true;
    const HRESULT init = ::CoInitialize(nullptr);
    comInitialised_ = SUCCEEDED(init);  // S_FALSE too: each success is matched by CoUninitialize
    CLSID clsid;
    if (FAILED(::CLSIDFromProgID(Wide(progId_).c_str(), &clsid))) return nullptr;
    IDispatch* d = nullptr;
    if (FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&d))))
      return nullptr;
    disp_ = d;
    return disp_;
  }

  bool Id(const wchar_t* name, DISPID& id) const {
    if (auto it = ids_.find(name); it != ids_.end()) {
      id = it->second;
      return true;
    }
    LPOLESTR n = const_cast<LPOLESTR>(name);
    if (FAILED(disp_->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id))) return false;
    ids_.emplace(name, id);
    return true;
  }

  // Calls method with args in their written order; its result as a number. Out-parameters are
  // written through the pointers the args hold.
  int CallLong(const wchar_t* method, std::vector<VARIANT> args) const {
    IDispatch* d = Object();
    DISPID id;
    if (!d || !Id(method, id)) return kComFailure;
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());  // IDispatch takes the last one first
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    VARIANT result;
    ::VariantInit(&result);
    int code = kComFailure;
    if (SUCCEEDED(d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr, nullptr))) {
      if (result.vt == VT_EMPTY) code = 0;  // a method without a result (JVCancel)
      else if (SUCCEEDED(::VariantChangeType(&result, &result, 0, VT_I4))) code = static_cast<int>(result.lVal);
    }
    ::VariantClear(&result);
    return code;
  }

  std::string progId_;
  mutable bool tried_ = false;
  mutable bool comInitialised_ = false;
  mutable IDispatch* disp_ = nullptr;
  mutable std::map<std::wstring, DISPID> ids_;
};

}  // namespace

std::unique_ptr<JVLink> MakeComJVLink(const std::string& progId) { return std::make_unique<ComJVLink>(progId); }

}  // namespace kv

#else

namespace kv {

std::unique_ptr<JVLink> MakeComJVLink(const std::string&) { return nullptr; }

}  // namespace kv

#endif
