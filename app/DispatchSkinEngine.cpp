#include "app/DispatchSkinEngine.h"

#include "system/Failure.h"

#include <oleauto.h>

#include <algorithm>
#include <vector>

namespace {

std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string Narrow(BSTR text) {
    if (text == nullptr) return {};
    const int length = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), length, nullptr, nullptr);
    if (!narrow.empty()) narrow.pop_back();
    return narrow;
}

VARIANT StringArgument(const std::string& text) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = ::SysAllocString(Wide(text).c_str());
    return v;
}

VARIANT LongArgument(std::int32_t value) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

}  // namespace

VARIANT DispatchSkinEngine::Invoke(DISPID member, WORD kind, VARIANT* arguments, UINT count) {
    std::vector<VARIANT> reversed(arguments, arguments + count);
    std::reverse(reversed.begin(), reversed.end());
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS parameters{};
    parameters.rgvarg = reversed.empty() ? nullptr : reversed.data();
    parameters.cArgs = count;
    if (kind == DISPATCH_PROPERTYPUT) {
        parameters.rgdispidNamedArgs = &named;
        parameters.cNamedArgs = 1;
    }
    VARIANT result;
    ::VariantInit(&result);
    EXCEPINFO exception{};
    const HRESULT hr = component_->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters,
                                          kind == DISPATCH_PROPERTYPUT ? nullptr : &result, &exception, nullptr);
    for (VARIANT& argument : reversed) ::VariantClear(&argument);
    if (FAILED(hr)) {
        std::string description = Narrow(exception.bstrDescription);
        ::SysFreeString(exception.bstrDescription);
        ::SysFreeString(exception.bstrSource);
        ::SysFreeString(exception.bstrHelpFile);
        if (description.empty()) description = Win32ErrorText(static_cast<DWORD>(hr));
        throw Failure(static_cast<long>(hr), description);
    }
    return result;
}

void DispatchSkinEngine::LoadSkin(const std::string& path, const std::string& section) {
    VARIANT arguments[] = {StringArgument(path), StringArgument(section)};
    VARIANT result = Invoke(LoadSkinMember, DISPATCH_METHOD, arguments, 2);
    ::VariantClear(&result);
}

std::int32_t DispatchSkinEngine::ApplyOptions() {
    VARIANT result = Invoke(ApplyOptionsMember, DISPATCH_PROPERTYGET, nullptr, 0);
    const HRESULT hr = ::VariantChangeType(&result, &result, 0, VT_I4);
    if (FAILED(hr)) {
        ::VariantClear(&result);
        throw Failure::TypeMismatch();
    }
    return result.lVal;
}

void DispatchSkinEngine::SetApplyOptions(std::int32_t options) {
    VARIANT argument = LongArgument(options);
    Invoke(ApplyOptionsMember, DISPATCH_PROPERTYPUT, &argument, 1);
}

void DispatchSkinEngine::SetFlag(DISPID member, bool value) {
    VARIANT argument;
    ::VariantInit(&argument);
    argument.vt = VT_BOOL;
    argument.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    Invoke(member, DISPATCH_PROPERTYPUT, &argument, 1);
}

void DispatchSkinEngine::ApplyWindow(HWND window) {
    VARIANT argument = LongArgument(static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(window)));
    VARIANT result = Invoke(ApplyWindowMember, DISPATCH_METHOD, &argument, 1);
    ::VariantClear(&result);
}
