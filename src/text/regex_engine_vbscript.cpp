// The engine on Windows: the automation object "VBScript.RegExp", reached only through
// IDispatch by name, so nothing depends on a type library. Every failing call just yields an
// empty value; the caller sees 0 or "".
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <memory>
#include <utility>

#include "text/encoding.h"
#include "text/regex_engine.h"

namespace lingqiao {
namespace {

struct DispatchRelease {
  void operator()(IDispatch* p) const { p->Release(); }
};
using DispatchRef = std::unique_ptr<IDispatch, DispatchRelease>;

// A VARIANT that clears itself.
class Variant {
 public:
  Variant() { VariantInit(&v_); }
  ~Variant() { VariantClear(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;

  static Variant Text(std::u16string_view text) {
    Variant r;
    r.v_.vt = VT_BSTR;
    r.v_.bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                     static_cast<UINT>(text.size()));
    if (!r.v_.bstrVal) r.v_.vt = VT_EMPTY;
    return r;
  }
  static Variant Bool(bool b) {
    Variant r;
    r.v_.vt = VT_BOOL;
    r.v_.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
    return r;
  }
  static Variant Int(int i) {
    Variant r;
    r.v_.vt = VT_I4;
    r.v_.lVal = i;
    return r;
  }

  Variant(Variant&& other) noexcept {
    v_ = other.v_;
    VariantInit(&other.v_);
  }

  VARIANT* get() { return &v_; }
  const VARIANT& operator*() const { return v_; }

  // Takes the object out of a VT_DISPATCH result; null for anything else.
  DispatchRef TakeDispatch() {
    if (v_.vt != VT_DISPATCH || !v_.pdispVal) return nullptr;
    DispatchRef r(v_.pdispVal);
    VariantInit(&v_);
    return r;
  }

  // The value as GBK text: "" for empty or null (a group that took no part in the match).
  std::string ToText() const {
    if (v_.vt == VT_EMPTY || v_.vt == VT_NULL) return {};
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&v_), 0, VT_BSTR))) return {};
    std::string out;
    if (converted.bstrVal) {
      out = Utf16ToGbk(std::u16string_view(reinterpret_cast<const char16_t*>(converted.bstrVal),
                                           SysStringLen(converted.bstrVal)));
    }
    VariantClear(&converted);
    return out;
  }

  // The value as an integer, truncated; 0 when it is not a number.
  int ToInt() const {
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&v_), 0, VT_R8))) return 0;
    return static_cast<int>(converted.dblVal);
  }

 private:
  VARIANT v_;
};

// Calls a member by name. args are in the order the member takes them.
Variant Invoke(IDispatch* object, const wchar_t* name, WORD kind, Variant* args = nullptr,
               UINT argCount = 0, bool* ok = nullptr) {
  Variant result;
  if (ok) *ok = false;
  if (!object) return result;
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return result;
  // IDispatch takes the arguments last one first.
  VARIANT reversed[2];
  if (argCount > 2) return result;
  for (UINT i = 0; i < argCount; ++i) reversed[argCount - 1 - i] = *args[i].get();
  DISPPARAMS params{};
  params.rgvarg = argCount ? reversed : nullptr;
  params.cArgs = argCount;
  DISPID named = DISPID_PROPERTYPUT;
  if (kind == DISPATCH_PROPERTYPUT) {
    params.rgdispidNamedArgs = &named;
    params.cNamedArgs = 1;
  }
  const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params,
                                    kind == DISPATCH_PROPERTYPUT ? nullptr : result.get(),
                                    nullptr, nullptr);
  if (ok) *ok = SUCCEEDED(hr);
  return result;
}

Variant Get(IDispatch* object, const wchar_t* name) {
  return Invoke(object, name, DISPATCH_PROPERTYGET);
}

// Collections take "Item" as their default, indexed member.
DispatchRef Item(IDispatch* collection, int index) {
  Variant arg = Variant::Int(index);
  return Invoke(collection, L"Item", DISPATCH_METHOD | DISPATCH_PROPERTYGET, &arg, 1).TakeDispatch();
}

void Put(IDispatch* object, const wchar_t* name, Variant value) {
  Invoke(object, name, DISPATCH_PROPERTYPUT, &value, 1);
}

// One "VBScript.RegExp" per Execute, with the collection its Execute returned and the subject.
class VbscriptEngine final : public RegexEngine {
 public:
  bool Execute(std::string_view pattern, std::string_view subject,
               const RegexOptions& options) override {
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(L"VBScript.RegExp", &clsid))) return false;
    IDispatch* created = nullptr;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(&created))) ||
        !created) {
      return false;
    }
    regexp_.reset(created);
    Put(regexp_.get(), L"IgnoreCase", Variant::Bool(!options.caseSensitive));
    Put(regexp_.get(), L"Multiline", Variant::Bool(options.multiline));
    Put(regexp_.get(), L"Global", Variant::Bool(options.global));
    Put(regexp_.get(), L"Pattern", Variant::Text(GbkToUtf16(pattern)));
    subject_ = GbkToUtf16(subject);
    Variant arg = Variant::Text(subject_);
    matches_ = Invoke(regexp_.get(), L"Execute", DISPATCH_METHOD, &arg, 1).TakeDispatch();
    return matches_ != nullptr;
  }

  std::string Pattern() const override { return Get(regexp_.get(), L"Pattern").ToText(); }

  std::string Replace(std::string_view replacement) const override {
    if (!regexp_) return {};
    Variant args[2] = {Variant::Text(subject_), Variant::Text(GbkToUtf16(replacement))};
    bool ok = false;
    Variant result = Invoke(regexp_.get(), L"Replace", DISPATCH_METHOD, args, 2, &ok);
    return ok ? result.ToText() : std::string();
  }

  int MatchCount() const override {
    return matches_ ? Get(matches_.get(), L"Count").ToInt() : 0;
  }

  std::string MatchText(int match) const override {
    const DispatchRef item = Item(matches_.get(), match);
    return item ? Get(item.get(), L"Value").ToText() : std::string();
  }

  std::string SubMatchText(int match, int group) const override {
    const DispatchRef subMatches = SubMatches(match);
    if (!subMatches) return {};
    Variant arg = Variant::Int(group);
    bool ok = false;
    Variant value =
        Invoke(subMatches.get(), L"Item", DISPATCH_METHOD | DISPATCH_PROPERTYGET, &arg, 1, &ok);
    return ok ? value.ToText() : std::string();
  }

  int SubMatchCount() const override {
    const DispatchRef subMatches = SubMatches(0);
    return subMatches ? Get(subMatches.get(), L"Count").ToInt() : 0;
  }

 private:
  DispatchRef SubMatches(int match) const {
    const DispatchRef item = Item(matches_.get(), match);
    return item ? Get(item.get(), L"SubMatches").TakeDispatch() : nullptr;
  }

  DispatchRef regexp_;
  DispatchRef matches_;
  std::u16string subject_;
};

}  // namespace

// Balanced on success only: a thread already in another apartment mode refuses CoInitialize,
// and uninitialising it then would undo someone else's initialisation.
RegexEngineHost::RegexEngineHost() : comInitialized_(SUCCEEDED(CoInitialize(nullptr))) {}

RegexEngineHost::~RegexEngineHost() {
  if (comInitialized_) CoUninitialize();
}

std::shared_ptr<RegexEngine> RegexEngineHost::CreateEngine() const {
  return std::make_shared<VbscriptEngine>();
}

}  // namespace lingqiao
