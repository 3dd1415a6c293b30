#include "platform/os/datenames.h"

#include <langinfo.h>

#include <clocale>
#include <cstring>

namespace {

// Whether the names of LC_TIME come in UTF-8 (or are plain ASCII, which is UTF-8 too).
bool Utf8Names(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) {
            const char* codeset = nl_langinfo(CODESET);
            return codeset && std::strcmp(codeset, "UTF-8") == 0;
        }
    return true;
}

std::string Format(const char* format, const std::tm& date) {
    char buffer[256];
    size_t length = std::strftime(buffer, sizeof buffer, format, &date);
    return std::string(buffer, length);
}

}  // namespace

std::string LocalLongDate(const std::tm& date) {
    std::string text = Format("%A %e %B %Y", date);
    if (!Utf8Names(text)) {
        // A locale of another character set: English names rather than broken text.
        const char* before = std::setlocale(LC_TIME, nullptr);
        std::string saved = before ? before : "C";
        std::setlocale(LC_TIME, "C");
        text = Format("%A %e %B %Y", date);
        std::setlocale(LC_TIME, saved.c_str());
    }
    // %e pads a one-digit day with a space.
    if (size_t pad = text.find("  "); pad != std::string::npos) text.erase(pad, 1);
    return text;
}

std::string LocalDayPeriod(bool afternoon) {
    std::tm date{};
    date.tm_hour = afternoon ? 13 : 1;
    std::string text = Format("%p", date);
    if (text.empty() || !Utf8Names(text)) return afternoon ? "PM" : "AM";
    return text;
}
