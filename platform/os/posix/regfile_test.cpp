#include "platform/os/posix/regfile.h"

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

TEST(RegFile, ReadsAroundUtf16UnitsThatAreNoCharacters) {
    // Such a unit makes its own line unreadable; the lines around it are read.
    const std::string header =
        Utf16Le(u"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\A]\r\n");
    const std::string good = Utf16Le(u"\"good\"=dword:00000001\r\n").substr(2);
    const struct {
        const char* Name;
        std::string Text;
    } cases[] = {
        {"a low surrogate alone", header + Utf16Le(u"\"x\"=\"\xDC00\"\r\n").substr(2) + good},
        {"a high surrogate without its pair",
         header + Utf16Le(u"\"x\"=\"\xD800 \"\r\n").substr(2) + good},
        {"a high surrogate at the end",
         good.empty() ? "" : header + good + Utf16Le(u"\"x\"=\xD800").substr(2)},
        {"an odd number of bytes", header + good + "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TRegParseReport report;
        auto file = TRegFile::Parse(c.Text, &report);
        ASSERT_TRUE(file.has_value());
        EXPECT_NE(file->FindValue("HKEY_CURRENT_USER\\A", "good"), nullptr);
        EXPECT_EQ(file->FindValue("HKEY_CURRENT_USER\\A", "x"), nullptr);
        EXPECT_EQ(report.SkippedLines.size(), 1u);
    }
}

TEST(RegFile, OnlyTextWithoutAHeaderIsRefused) {
    const std::string cases[] = {
        "garbage\n",
        "[HKEY_CURRENT_USER\\A]\n\"x\"=dword:1\n",  // no header
        "; only a comment\n",
        std::string("\0\0\0\0", 4),
        "\x7F"
        "ELF\x02\x01\x01\n",
    };
    for (const std::string& text : cases) {
        EXPECT_FALSE(TRegFile::Parse(text).has_value()) << text;
    }
    // Nothing at all is an empty registry, not a damaged one.
    for (const char* blank : {"", "\n", "  \r\n\t\n"}) {
        auto file = TRegFile::Parse(blank);
        ASSERT_TRUE(file.has_value()) << blank;
        EXPECT_TRUE(file->Keys().empty());
    }
}

TEST(RegFile, SkipsEachUnreadableLineAndReadsTheRest) {
    const char* const badLines[] = {
        "\"x\"=dword:100000001",  // nine digits
        "\"x\"=dword:12g4",
        "\"x\"=\"open",
        "\"x\"=hex:01,0",
        "\"x\"=hex(zz):01",
        "\"x\"=\"bad \\q escape\"",
        "\"x\"=\"a\" trailing",
        "\"x\"",
        "\"x\"=word:1",
        "\"x\"=\"nul \0 inside\"",
        "garbage",
    };
    for (std::string_view bad : badLines) {
        SCOPED_TRACE(bad);
        const std::string text =
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_CURRENT_USER\\A]\n"
            "\"before\"=dword:00000001\n" +
            std::string(bad) +
            "\n"
            "\"after\"=\"two\"\n\n"
            "[HKEY_CURRENT_USER\\B]\n"
            "\"other\"=hex:03\n";
        TRegParseReport report;
        auto file = TRegFile::Parse(text, &report);
        ASSERT_TRUE(file.has_value());
        EXPECT_EQ(report.SkippedLines, (std::vector<size_t>{5}));
        EXPECT_EQ(file->FindValue("HKEY_CURRENT_USER\\A", "x"), nullptr);
        ASSERT_NE(file->FindValue("HKEY_CURRENT_USER\\A", "before"), nullptr);
        ASSERT_NE(file->FindValue("HKEY_CURRENT_USER\\A", "after"), nullptr);
        EXPECT_EQ(file->FindValue("HKEY_CURRENT_USER\\A", "after")->Data, Text("two"));
        ASSERT_NE(file->FindValue("HKEY_CURRENT_USER\\B", "other"), nullptr);

        // Written back, the line is kept as it stood, in its key's section.
        const std::string written = file->Serialise();
        EXPECT_NE(
            written.find("\"after\"=\"two\"\n" + std::string(bad) + "\n\n[HKEY_CURRENT_USER\\B]"),
            std::string::npos)
            << written;
        auto again = TRegFile::Parse(written);
        ASSERT_TRUE(again.has_value());
        EXPECT_EQ(again->Serialise(), written);
    }
}

TEST(RegFile, LinesThatBelongToNoKeyAreSkippedAndKeptAfterTheHeader) {
    auto file = TRegFile::Parse(
        "Windows Registry Editor Version 5.00\n"
        "\"early\"=dword:00000001\n"
        "[HKEY_CURRENT_USER\\A]\n"
        "\"a\"=dword:00000002\n"
        "[HKEY_CURRENT_USER\\Cut\n"
        "\"lost\"=dword:00000003\n"
        "[-HKEY_CURRENT_USER\\A]\n"
        "\"alsolost\"=dword:00000004\n"
        "[HKEY_CURRENT_USER\\B]\n"
        "\"b\"=hex:01,\\\n"
        "\n"
        "\"c\"=dword:00000005\n");
    ASSERT_TRUE(file.has_value());
    // Nothing is read into a key it was not written in, and no key is deleted.
    EXPECT_NE(file->FindValue("HKEY_CURRENT_USER\\A", "a"), nullptr);
    EXPECT_EQ(file->FindValue("HKEY_CURRENT_USER\\A", "lost"), nullptr);
    EXPECT_EQ(file->FindValue("HKEY_CURRENT_USER\\A", "alsolost"), nullptr);
    EXPECT_FALSE(file->KeyExists("HKEY_CURRENT_USER\\Cut"));
    // A continuation cut by a blank line is unreadable; what follows is read.
    EXPECT_EQ(file->FindValue("HKEY_CURRENT_USER\\B", "b"), nullptr);
    EXPECT_NE(file->FindValue("HKEY_CURRENT_USER\\B", "c"), nullptr);
    EXPECT_EQ(file->PreambleLines(),
              (std::vector<std::string>{"\"early\"=dword:00000001", "[HKEY_CURRENT_USER\\Cut",
                                        "\"lost\"=dword:00000003", "[-HKEY_CURRENT_USER\\A]",
                                        "\"alsolost\"=dword:00000004"}));
    const std::string written = file->Serialise();
    EXPECT_EQ(
        written.rfind("Windows Registry Editor Version 5.00\n\n\"early\"=dword:00000001\n", 0), 0u)
        << written;
    auto again = TRegFile::Parse(written);
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->Serialise(), written);
    EXPECT_EQ(again->FindValue("HKEY_CURRENT_USER\\B", "b"), nullptr)
        << "still cut after the rewrite";
}

TEST(RegFile, ARewriteKeepsEveryUnreadableLineWithTheKeyItWasIn) {
    // Found by fuzzing: a damaged section between two parts of a key's section must not
    // carry the key's later unreadable lines off to no key when written back.
    const std::string texts[] = {
        "Windows Registry Editor Version 5.00\n"
        "[HKEY_CURRENT_USER\\A]\n\"x\"=bad\n[HKEY_CURRENT_USER\\Cut\n"
        "[HKEY_CURRENT_USER\\A]\n\"y\"=bad\n\"z\"=dword:00000001\n",
        "Windows Registry Editor Version 5.00\n"
        "[HKEY_CURRENT_USER\\A]\n\"x\"=bad\n[HKEY_CURRENT_USER\\\0B]\n\"y\"=bad\n",
        // And one that ends in carriage returns, which are part of its line end.
        "REGEDIT4\r\n[HKEY_CURRENT_USER\\Cut\\\r\n  02,FF\r\n\"gone\"=\"x\"\r\r\n",
        // And a continued value cut by a blank line, whose backslash has blanks after it.
        "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"b\"=hex:01,\\\r \n \n03\n",
    };
    for (const std::string& text : texts) {
        auto file = TRegFile::Parse(text);
        ASSERT_TRUE(file.has_value());
        const std::string written = file->Serialise();
        auto again = TRegFile::Parse(written);
        ASSERT_TRUE(again.has_value());
        EXPECT_EQ(again->PreambleLines(), file->PreambleLines());
        ASSERT_EQ(again->Keys().size(), file->Keys().size());
        for (size_t k = 0; k < file->Keys().size(); ++k)
            EXPECT_EQ(again->Keys()[k].Unreadable, file->Keys()[k].Unreadable)
                << file->Keys()[k].Path;
        EXPECT_EQ(again->Serialise(), written);
    }
}

TEST(RegFile, KeysAndValuesOfOtherProgramsAreWrittenBackAsTheyWere) {
    const std::string export_ =
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_CURRENT_USER\\Software]\n\n"
        "[HKEY_CURRENT_USER\\Software\\Other]\n"
        "\"Path\"=\"C:\\\\Program Files\\\\Other\"\n"
        "\"Mixed\"=hex(7):41,00,00,00\n"
        "\"Big\"=hex(b):01,02,03,04,05,06,07,08\n"
        "@=dword:00000007\n\n";
    auto file = TRegFile::Parse(export_);
    ASSERT_TRUE(file.has_value());
    file->SetValue(kKey, "type", 4, {1, 0, 0, 0});
    const std::string written = file->Serialise();
    EXPECT_EQ(written.substr(0, export_.size()), export_);
}

TEST(RegFile, DeletedValuesLeaveTheirPlacesInKeysLargeAndSmall) {
    for (int count : {3, 40}) {
        SCOPED_TRACE(count);
        std::string text = "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n";
        for (int i = 0; i < count; ++i)
            text += "\"v" + std::to_string(i) + "\"=dword:00000001\n";
        // Every other one deleted, the first deleted and set again at the end.
        for (int i = 0; i < count; i += 2)
            text += "\"V" + std::to_string(i) + "\"=-\n";
        text += "\"v0\"=dword:00000002\n";
        auto file = TRegFile::Parse(text);
        ASSERT_TRUE(file.has_value());
        const TRegKey* key = file->FindKey("HKEY_CURRENT_USER\\A");
        ASSERT_NE(key, nullptr);
        ASSERT_EQ(key->Values.size(), size_t(count / 2 + 1));
        for (size_t i = 0; i + 1 < key->Values.size(); ++i)
            EXPECT_EQ(key->Values[i].Name, "v" + std::to_string(2 * i + 1));
        EXPECT_EQ(key->Values.back().Name, "v0");
        EXPECT_EQ(file->FindValue("HKEY_CURRENT_USER\\A", "V0")->Data[0], 2);
        EXPECT_EQ(file->FindValue("HKEY_CURRENT_USER\\A", "v2"), nullptr);
        EXPECT_NE(file->FindValue("HKEY_CURRENT_USER\\A", "v1"), nullptr);
    }
}

TEST(RegFile, AFullSizeFileIsReadWhole) {
    // Near the largest file the store reads: 130 000 values in one key, or 60 000 keys of
    // one value each.
    for (bool keys : {false, true}) {
        SCOPED_TRACE(keys ? "keys" : "values");
        const int kCount = keys ? 60000 : 130000;
        std::string text = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Bulk]\n";
        for (int i = 0; i < kCount; ++i) {
            if (keys) text += "[HKEY_CURRENT_USER\\Bulk\\K" + std::to_string(i) + "]\n";
            text += "\"Value" + std::to_string(i) +
                    "\"=dword:" + (i % 2 ? "00000001" : "0000abcd") + "\n";
        }
        ASSERT_LT(text.size(), 4u * 1024 * 1024);
        auto file = TRegFile::Parse(text);
        ASSERT_TRUE(file.has_value());
        EXPECT_EQ(file->Keys().size(), keys ? kCount + 1u : 1u);
        for (int i = 0; i < kCount; i += 997) {
            const std::string path =
                keys ? "HKEY_CURRENT_USER\\bulk\\k" + std::to_string(i) : "HKEY_CURRENT_USER\\BULK";
            const TRegValue* value = file->FindValue(path, "VALUE" + std::to_string(i));
            ASSERT_NE(value, nullptr) << i;
            EXPECT_EQ(value->Data[0], i % 2 ? 1 : 0xcd);
        }
        file->SetValue("HKEY_CURRENT_USER\\Bulk", "Value7", 4, {9, 0, 0, 0});
        auto again = TRegFile::Parse(file->Serialise());
        ASSERT_TRUE(again.has_value());
        EXPECT_EQ(again->Keys().size(), file->Keys().size());
        EXPECT_EQ(again->FindValue("HKEY_CURRENT_USER\\Bulk", "value7")->Data[0], 9);
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
