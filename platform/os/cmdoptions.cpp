#include "platform/os/cmdoptions.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "zt_version.h"

namespace {

const TOptionSpec* FindLong(std::span<const TOptionSpec> table, std::string_view name) {
    for (const TOptionSpec& spec : table)
        if (spec.Long == name) return &spec;
    return nullptr;
}

const TOptionSpec* FindShort(std::span<const TOptionSpec> table, char letter) {
    for (const TOptionSpec& spec : table)
        if (spec.Short != 0 && spec.Short == letter) return &spec;
    return nullptr;
}

std::vector<std::string_view> SplitChoices(std::string_view choices) {
    std::vector<std::string_view> words;
    size_t start = 0;
    while (start <= choices.size()) {
        size_t bar = choices.find('|', start);
        if (bar == std::string_view::npos) bar = choices.size();
        words.push_back(choices.substr(start, bar - start));
        start = bar + 1;
    }
    return words;
}

// "settings or about", "a, b or c".
std::string ChoiceList(std::string_view choices) {
    const std::vector<std::string_view> words = SplitChoices(choices);
    std::string list;
    for (size_t i = 0; i < words.size(); ++i) {
        if (i > 0) list += i + 1 == words.size() ? " or " : ", ";
        list += words[i];
    }
    return list;
}

// Checks value against the option's kind; fills option or returns the error.
std::string TakeValue(const TOptionSpec& spec, std::string value, TParsedOption& option) {
    const std::string name = "--" + std::string(spec.Long);
    switch (spec.Value) {
        case TOptionValue::None:
            return "option '" + name + "' takes no value";
        case TOptionValue::Number: {
            int64_t number = 0;
            const char* first = value.data();
            const char* last = first + value.size();
            // from_chars takes no '+'; a leading '+' is still a plain number to a user.
            if (first != last && *first == '+' && last - first > 1 && first[1] != '-') ++first;
            auto [end, error] = std::from_chars(first, last, number);
            if (value.empty() || error != std::errc() || end != last || number < spec.Min ||
                number > spec.Max)
                return name + " must be " + std::to_string(spec.Min) + " to " +
                       std::to_string(spec.Max);
            option.Number = number;
            break;
        }
        case TOptionValue::Choice: {
            const std::vector<std::string_view> words = SplitChoices(spec.Choices);
            if (std::find(words.begin(), words.end(), value) == words.end())
                return name + " must be " + ChoiceList(spec.Choices);
            break;
        }
        case TOptionValue::Text:
            break;
    }
    option.Text = std::move(value);
    return {};
}

}  // namespace

const TParsedOption* TParsedOptions::Find(std::string_view longName) const {
    for (auto it = Options.rbegin(); it != Options.rend(); ++it)
        if (it->Spec->Long == longName) return &*it;
    return nullptr;
}

TParsedOptions ParseOptions(std::span<const TOptionSpec> table,
                            const std::vector<std::string>& arguments, TUnknownOptions unknown) {
    TParsedOptions parsed;
    const bool ignoreUnknown = unknown == TUnknownOptions::Ignore;
    auto fail = [&parsed](std::string error) {
        parsed.Error = std::move(error);
        return parsed;
    };
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--") {
            parsed.Operands.insert(parsed.Operands.end(), arguments.begin() + ptrdiff_t(i) + 1,
                                   arguments.end());
            break;
        }
        if (argument.size() < 2 || argument[0] != '-') {
            parsed.Operands.push_back(argument);
            continue;
        }
        if (argument[1] == '-') {
            // --name, --name=value, --name value
            const size_t equals = argument.find('=');
            const std::string name = argument.substr(2, equals - 2);
            const TOptionSpec* spec = FindLong(table, name);
            if (spec == nullptr) {
                if (ignoreUnknown) continue;
                return fail("unknown option '--" + name + "'");
            }
            TParsedOption option{spec, {}, 0};
            if (equals != std::string::npos) {
                std::string error = TakeValue(*spec, argument.substr(equals + 1), option);
                if (!error.empty()) return fail(error);
            } else if (spec->Value != TOptionValue::None) {
                if (i + 1 >= arguments.size()) return fail("option '--" + name + "' needs a value");
                std::string error = TakeValue(*spec, arguments[++i], option);
                if (!error.empty()) return fail(error);
            }
            parsed.Options.push_back(std::move(option));
            continue;
        }
        // -abc, -n VALUE, -nVALUE
        if (ignoreUnknown) {
            bool known = true;
            for (size_t at = 1; at < argument.size() && known; ++at) {
                const TOptionSpec* spec = FindShort(table, argument[at]);
                known = spec != nullptr;
                if (known && spec->Value != TOptionValue::None) break;
            }
            if (!known) continue;
        }
        for (size_t at = 1; at < argument.size(); ++at) {
            const TOptionSpec* spec = FindShort(table, argument[at]);
            if (spec == nullptr) return fail(std::string("unknown option '-") + argument[at] + "'");
            TParsedOption option{spec, {}, 0};
            if (spec->Value != TOptionValue::None) {
                std::string value;
                if (at + 1 < argument.size()) {
                    value = argument.substr(at + 1);
                } else if (i + 1 < arguments.size()) {
                    value = arguments[++i];
                } else {
                    return fail(std::string("option '-") + argument[at] + "' needs a value");
                }
                std::string error = TakeValue(*spec, std::move(value), option);
                if (!error.empty()) return fail(error);
                parsed.Options.push_back(std::move(option));
                break;
            }
            parsed.Options.push_back(std::move(option));
        }
    }
    return parsed;
}

std::vector<std::string> Arguments(int argc, char** argv) {
    if (argc < 1) return {};
    return std::vector<std::string>(argv + 1, argv + argc);
}

std::string OptionHelp(std::span<const TOptionSpec> table) {
    std::vector<std::string> heads;
    size_t width = 0;
    for (const TOptionSpec& spec : table) {
        std::string head = spec.Short != 0 ? std::string("  -") + spec.Short + ", " : "      ";
        head += "--" + std::string(spec.Long);
        if (spec.Value != TOptionValue::None) {
            std::string value(spec.ValueName);
            if (value.empty())
                value = spec.Value == TOptionValue::Choice ? std::string(spec.Choices) : "VALUE";
            head += " " + value;
        }
        width = std::max(width, head.size());
        heads.push_back(std::move(head));
    }
    std::string help;
    for (size_t i = 0; i < table.size(); ++i) {
        help += heads[i];
        help.append(width + 2 - heads[i].size(), ' ');
        help += table[i].Help;
        help += '\n';
    }
    return help;
}

std::string VersionText(std::string_view program) {
    return std::string(program) + " " ZT_VERSION "\n" ZT_COPYRIGHT "\n" ZT_LICENCE "\n";
}

int OptionError(std::string_view program, const std::string& error) {
    const std::string name(program);
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", name.c_str(),
                 error.c_str(), name.c_str());
    return 2;
}
