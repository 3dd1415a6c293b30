#include "platform/native/win32/win32accessible.h"

#include <oleacc.h>

namespace native {

namespace {

// The system's accessibility functions, looked up at the first request.
struct TOleAcc {
    decltype(&::CreateStdAccessibleObject) CreateStdAccessibleObject = nullptr;
    decltype(&::LresultFromObject) LresultFromObject = nullptr;
    decltype(&::SysAllocString) SysAllocString = nullptr;
    decltype(&::CoInitializeEx) CoInitializeEx = nullptr;

    bool Ok() const {
        return CreateStdAccessibleObject && LresultFromObject && SysAllocString && CoInitializeEx;
    }
};

template <typename F>
void Find(HMODULE module, const char* name, F& function) {
    if (module)
        function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The libraries stay loaded: the objects handed out use them until the program ends.
const TOleAcc& OleAcc() {
    static const TOleAcc functions = [] {
        TOleAcc f;
        HMODULE oleacc = LoadLibraryW(L"oleacc.dll");
        Find(oleacc, "CreateStdAccessibleObject", f.CreateStdAccessibleObject);
        Find(oleacc, "LresultFromObject", f.LresultFromObject);
        Find(LoadLibraryW(L"oleaut32.dll"), "SysAllocString", f.SysAllocString);
        Find(LoadLibraryW(L"ole32.dll"), "CoInitializeEx", f.CoInitializeEx);
        return f;
    }();
    return functions;
}

// Objects are handed to screen readers through COM: it runs on the window's thread, started
// once and kept for as long as the program serves them (it ends with the program).
bool ComStarted(const TOleAcc& ole) {
    thread_local const bool started = [&] {
        HRESULT hr = ole.CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        return SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE;  // already started, another way
    }();
    return started;
}

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// The standard object of a client area with its own name replaced.
class TNamedAccessible final : public IAccessible {
public:
    TNamedAccessible(IAccessible* standard, std::shared_ptr<const std::wstring> name,
                     decltype(&::SysAllocString) allocString)
        : standard_(standard), name_(std::move(name)), allocString_(allocString) {}
    TNamedAccessible(const TNamedAccessible&) = delete;
    TNamedAccessible& operator=(const TNamedAccessible&) = delete;

    // IUnknown. Interfaces other than these three (IEnumVARIANT, IOleWindow) are the
    // standard object's own.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) ||
            iid == __uuidof(IAccessible)) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        return standard_->QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return ULONG(left);
    }

    // IDispatch: the standard object's type information, invoked on this object (so a
    // late-bound caller reads the same name).
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return standard_->GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return standard_->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return standard_->GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT* badArgument) override {
        ITypeInfo* info = nullptr;
        if (FAILED(standard_->GetTypeInfo(0, locale, &info)) || !info)
            return standard_->Invoke(id, iid, locale, flags, parameters, result, exception,
                                     badArgument);
        HRESULT hr = info->Invoke(static_cast<IAccessible*>(this), id, flags, parameters, result,
                                  exception, badArgument);
        info->Release();
        return hr;
    }

    // IAccessible: the name of the area itself is ours.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!IsSelf(child) || name_->empty()) return standard_->get_accName(child, name);
        if (!name) return E_POINTER;
        *name = allocString_(name_->c_str());
        return *name ? S_OK : E_OUTOFMEMORY;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return standard_->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        return standard_->get_accChildCount(count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return standard_->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return standard_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        return standard_->get_accDescription(child, description);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        return standard_->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return standard_->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return standard_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return standard_->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
        return standard_->get_accFocus(child);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return standard_->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return standard_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        return standard_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override {
        return standard_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        return standard_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
        return standard_->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return standard_->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return standard_->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return standard_->put_accValue(child, value);
    }

private:
    ~TNamedAccessible() { standard_->Release(); }

    LONG references_ = 1;
    IAccessible* standard_;  // owned: one reference
    std::shared_ptr<const std::wstring> name_;
    decltype(&::SysAllocString) allocString_;
};

}  // namespace

LRESULT AnswerGetObject(HWND hwnd, WPARAM wParam, LPARAM lParam,
                        const std::shared_ptr<const std::wstring>& name) {
    if (LONG(lParam) != OBJID_CLIENT || !name) return 0;
    const TOleAcc& ole = OleAcc();
    if (!ole.Ok() || !ComStarted(ole)) return 0;
    IAccessible* standard = nullptr;
    if (FAILED(ole.CreateStdAccessibleObject(hwnd, OBJID_CLIENT, __uuidof(IAccessible),
                                             reinterpret_cast<void**>(&standard))) ||
        !standard)
        return 0;
    auto* named = new TNamedAccessible(standard, name, ole.SysAllocString);
    LRESULT result = ole.LresultFromObject(__uuidof(IAccessible), wParam, named);
    named->Release();  // the result holds its own reference
    return result < 0 ? 0 : result;
}

}  // namespace native
