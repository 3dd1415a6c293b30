#include "platform/os/datenames.h"

#include <windows.h>

namespace {

std::string Utf8(const wchar_t* text, int length) {
    if (length <= 0) return {};
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(size_t(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), bytes, nullptr, nullptr);
    return out;
}

}  // namespace

std::string LocalLongDate(const std::tm& date) {
    SYSTEMTIME st{};
    st.wYear = WORD(date.tm_year + 1900);
    st.wMonth = WORD(date.tm_mon + 1);
    st.wDay = WORD(date.tm_mday);
    st.wDayOfWeek = WORD(date.tm_wday);
    wchar_t buffer[128];
    int length = GetDateFormatW(LOCALE_USER_DEFAULT, 0, &st, L"dddd d MMMM yyyy", buffer, 128);
    return Utf8(buffer, length - 1);  // without the terminating zero
}

std::string LocalDayPeriod(bool afternoon) {
    wchar_t buffer[32];
    int length =
        GetLocaleInfoW(LOCALE_USER_DEFAULT, afternoon ? LOCALE_S2359 : LOCALE_S1159, buffer, 32);
    std::string text = Utf8(buffer, length - 1);
    if (text.empty()) return afternoon ? "PM" : "AM";
    return text;
}
