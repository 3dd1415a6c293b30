#include "platform/os/regfile.h"

#include <gtest/gtest.h>

namespace {
constexpr const char* kKey = "HKEY_CURRENT_USER\\Software\\Kelbrin\\QVZentick";

std::vector<BYTE> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}
std::vector<BYTE> Text(std::string_view text) {
    auto bytes = Bytes(text);
    bytes.push_back(0);
    return bytes;
}

TEST(RegFile, EveryKindOfValueRoundTripsByteForByte) {
    TRegFile file;
    file.SetValue(kKey, "viewertop", 4, {0x58, 0x02, 0, 0});
    file.SetValue(kKey, "minus", 4, {0xFF, 0xFF, 0xFF, 0xFF});
    file.SetValue(kKey, "quote \"and\\ back", 1, Text("C:\\dir \"x\" \\"));
    file.SetValue(kKey, "", 1, Text("unnamed"));
    file.SetValue(kKey, "lines", 1, Text("one\ntwo\r\n"));
    file.SetValue(kKey, "unterminated", 1, Bytes("abc"));
    file.SetValue(kKey, "embedded", 1, Bytes(std::string_view("a\0b\0", 4)));
    file.SetValue(kKey, "binary", 3, {0x00, 0xAB, 0xFF});
    file.SetValue(kKey, "empty", 3, {});
    file.SetValue(kKey, "short dword", 4, {1, 2});
    file.SetValue(kKey, "qword", 11, {1, 2, 3, 4, 5, 6, 7, 8});
    file.CreateKey("HKEY_CURRENT_USER\\Empty]Key");

    const std::string text = file.Serialise();
    auto parsed = TRegFile::Parse(text);
    ASSERT_TRUE(parsed.has_value()) << text;
    EXPECT_EQ(parsed->Serialise(), text);
    const TRegKey* key = parsed->FindKey(kKey);
    ASSERT_NE(key, nullptr);
    const TRegKey* original = file.FindKey(kKey);
    ASSERT_EQ(key->Values.size(), original->Values.size());
    for (size_t i = 0; i < key->Values.size(); ++i) {
        EXPECT_EQ(key->Values[i].Name, original->Values[i].Name);
        EXPECT_EQ(key->Values[i].Type, original->Values[i].Type) << key->Values[i].Name;
        EXPECT_EQ(key->Values[i].Data, original->Values[i].Data) << key->Values[i].Name;
    }
    EXPECT_TRUE(parsed->KeyExists("HKEY_CURRENT_USER\\Empty]Key"));
}

TEST(RegFile, WritesTheExportFormat) {
    TRegFile file;
    file.SetValue(kKey, "type", 4, {0x2A, 0, 0, 0});
    file.SetValue(kKey, "name", 1, Text("say \"hi\" C:\\"));
    EXPECT_EQ(file.Serialise(),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER\\Software]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Kelbrin]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Kelbrin\\QVZentick]\n"
              "\"type\"=dword:0000002a\n"
              "\"name\"=\"say \\\"hi\\\" C:\\\\\"\n\n");
}

TEST(RegFile, ReadsExportVariants) {
    // A byte order mark, CRLF line ends, comments, the old header, continued hex lines,
    // upper-case hex and deleted values are all part of what export files hold.
    auto file = TRegFile::Parse(
        "\xEF\xBB\xBFREGEDIT4\r\n\r\n; a comment\r\n"
        "[HKEY_CURRENT_USER\\Software\\Kelbrin\\QVZentick]\r\n"
        "@=\"default\"\r\n"
        "\"Bin\" = hex:01,02,\\\r\n  03,FF\r\n"
        "\"Number\"=dword:FFFFFFFF\r\n"
        "\"gone\"=\"x\"\r\n"
        "\"gone\"=-\r\n");
    ASSERT_TRUE(file.has_value());
    ASSERT_NE(file->FindValue(kKey, ""), nullptr);
    EXPECT_EQ(file->FindValue(kKey, "")->Data, Text("default"));
    ASSERT_NE(file->FindValue(kKey, "bin"), nullptr);
    EXPECT_EQ(file->FindValue(kKey, "bin")->Data, (std::vector<BYTE>{1, 2, 3, 0xFF}));
    EXPECT_EQ(file->FindValue(kKey, "NUMBER")->Data, (std::vector<BYTE>{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(file->FindValue(kKey, "gone"), nullptr);
}

// The bytes of text in UTF-16LE with a byte order mark, as the registry editor exports.
std::string Utf16Le(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes.push_back(char(unit & 0xFF));
        bytes.push_back(char(unit >> 8));
    }
    return bytes;
}

TEST(RegFile, ReadsTheEncodingsAndLineEndsOfTheRegistryEditor) {
    // One export, written the ways registry editors write it. The text value holds "ü"
    // and a character beyond 16 bits (U+1F550), which come back as UTF-8.
    const std::u16string body =
        u"\r\n[HKEY_CURRENT_USER\\Software\\Kelbrin\\QVZentick]\r\n"
        u"\"type\"=dword:00000003\r\n"
        u"\"name\"=\"Zeit \u00FC \U0001F550\"\r\n"
        u"\"bin\"=hex:01,02,\\\r\n  03\r\n\r\n";
    const std::string utf8Body =
        "\r\n[HKEY_CURRENT_USER\\Software\\Kelbrin\\QVZentick]\r\n"
        "\"type\"=dword:00000003\r\n"
        "\"name\"=\"Zeit \xC3\xBC \xF0\x9F\x95\x90\"\r\n"
        "\"bin\"=hex:01,02,\\\r\n  03\r\n\r\n";
    auto lf = [](auto text) {
        std::erase(text, '\r');
        return text;
    };
    const struct {
        const char* Name;
        std::string Text;
    } cases[] = {
        {"UTF-16LE, CRLF", Utf16Le(u"Windows Registry Editor Version 5.00" + body)},
        {"UTF-16LE, LF", Utf16Le(lf(u"Windows Registry Editor Version 5.00" + body))},
        {"UTF-8 with BOM, CRLF", "\xEF\xBB\xBFWindows Registry Editor Version 5.00" + utf8Body},
        {"UTF-8, LF", lf("Windows Registry Editor Version 5.00" + utf8Body)},
        {"REGEDIT4, CRLF", "REGEDIT4" + utf8Body},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        auto file = TRegFile::Parse(c.Text);
        ASSERT_TRUE(file.has_value());
        ASSERT_NE(file->FindValue(kKey, "type"), nullptr);
        EXPECT_EQ(file->FindValue(kKey, "type")->Data, (std::vector<BYTE>{3, 0, 0, 0}));
        ASSERT_NE(file->FindValue(kKey, "name"), nullptr);
        EXPECT_EQ(file->FindValue(kKey, "name")->Data, Text("Zeit \xC3\xBC \xF0\x9F\x95\x90"));
        ASSERT_NE(file->FindValue(kKey, "bin"), nullptr);
        EXPECT_EQ(file->FindValue(kKey, "bin")->Data, (std::vector<BYTE>{1, 2, 3}));
        // Written back as UTF-8 with LF line ends.
        EXPECT_EQ(file->Serialise().rfind("Windows Registry Editor Version 5.00\n\n[", 0), 0u);
    }
}

TEST(RegFile, RejectsUtf16ThatIsNotWellFormed) {
    const std::string header = Utf16Le(u"Windows Registry Editor Version 5.00\r\n");
    for (const std::string& text : {
             header + "\n",                           // an odd number of bytes
             header + Utf16Le(u"\xDC00").substr(2),   // a low surrogate alone
             header + Utf16Le(u"\xD800 ").substr(2),  // a high surrogate without its pair
             header + Utf16Le(u"\xD800").substr(2),   // a high surrogate at the end
         }) {
        EXPECT_FALSE(TRegFile::Parse(text).has_value());
    }
}

TEST(RegFile, RejectsTextThatIsNotARegistryFile) {
    const char* header = "Windows Registry Editor Version 5.00\n";
    const std::string cases[] = {
        "",
        "garbage\n",
        "[HKEY_CURRENT_USER\\A]\n\"x\"=dword:1\n",                       // no header
        std::string(header) + "\"x\"=dword:00000001\n",                  // value outside a key
        std::string(header) + "[HKEY_CURRENT_USER\\A]\n\"x\"=\"open\n",  // cut inside a string
        std::string(header) + "[HKEY_CURRENT_USER\\A]\n\"x\"=dword:123456789\n",
        std::string(header) + "[HKEY_CURRENT_USER\\A]\n\"x\"=dword:12g4\n",
        std::string(header) + "[HKEY_CURRENT_USER\\A]\n\"x\"=hex:01,0\n",
        std::string(header) + "[HKEY_CURRENT_USER\\A]\n\"x\"=hex:01,\\\n",  // cut continuation
        std::string(header) + "[HKEY_CURRENT_USER\\A]\n\"x\"=hex(zz):01\n",
        std::string(header) + "[HKEY_CURRENT_USER\\A]\n\"x\"=\"bad \\q escape\"\n",
        std::string(header) + "[HKEY_CURRENT_USER\\A]\n\"x\"=\"a\" trailing\n",
        std::string(header) + "[HKEY_CURRENT_USER\\A]\n\"x\"\n",
        std::string(header) + "[HKEY_CURRENT_USER\\A\n",
        std::string(header) + "[HKEY_CURRENT_USER\\A]\n\"x\"=word:1\n",
        std::string("\0\0\0\0", 4),
    };
    for (const std::string& text : cases) {
        EXPECT_FALSE(TRegFile::Parse(text).has_value()) << text;
    }
}

TEST(RegFile, KeysAndValuesAreCaseInsensitiveAndKeepTheirFirstCase) {
    TRegFile file;
    EXPECT_TRUE(file.CreateKey("HKEY_CURRENT_USER\\Software\\Kelbrin\\QVZentick"));
    EXPECT_FALSE(file.CreateKey("hkey_current_user\\SOFTWARE\\kelbrin\\qvzentick"));
    EXPECT_TRUE(file.KeyExists("HKEY_CURRENT_USER\\software"));
    EXPECT_FALSE(file.KeyExists("HKEY_CURRENT_USER\\Soft"));
    file.SetValue("HKEY_CURRENT_USER\\software\\KELBRIN\\qvzentick", "Type", 4, {1, 0, 0, 0});
    file.SetValue(kKey, "TYPE", 4, {2, 0, 0, 0});
    const TRegKey* key = file.FindKey(kKey);
    ASSERT_EQ(key->Values.size(), 1u);
    EXPECT_EQ(key->Path, kKey);
    EXPECT_EQ(key->Values[0].Name, "Type");
    EXPECT_EQ(key->Values[0].Data[0], 2);
    EXPECT_TRUE(file.DeleteValue(kKey, "type"));
    EXPECT_FALSE(file.DeleteValue(kKey, "type"));
}

TEST(RegFile, AKeyIsKnownFromItsDescendantsAlone) {
    auto file =
        TRegFile::Parse("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\A\\B\\C]\n");
    ASSERT_TRUE(file.has_value());
    EXPECT_TRUE(file->KeyExists("HKEY_CURRENT_USER\\A"));
    EXPECT_TRUE(file->KeyExists("HKEY_CURRENT_USER\\a\\b"));
    EXPECT_FALSE(file->KeyExists("HKEY_CURRENT_USER\\A\\B\\C\\D"));
}
}  // namespace
