#include "hexedit/options.h"

#include "platform/os/cmdoptions.h"

namespace {
const TOptionSpec kOptions[] = {
    {"help", 'h', TOptionValue::None, 0, 0, "", "", "show this help and exit"},
    {"version", 'V', TOptionValue::None, 0, 0, "", "", "show the version and exit"},
};
}  // namespace

THexEditOptions ParseHexEditOptions(const std::vector<std::string>& arguments) {
    THexEditOptions options;
    const TParsedOptions parsed = ParseOptions(kOptions, arguments);
    if (!parsed.Error.empty()) {
        options.Error = parsed.Error;
        return options;
    }
    options.Help = parsed.Has("help");
    options.Version = parsed.Has("version");
    if (!parsed.Operands.empty()) options.FileName = parsed.Operands.front();
    return options;
}

std::string HexEditUsage() {
    return "Usage: zentick-hexedit [OPTION]... [FILE]\n"
           "Shows FILE as bytes and characters and lets you edit, search and save it.\n"
           "\n" +
           OptionHelp(kOptions);
}

std::string HexEditVersion() {
    return VersionText("zentick-hexedit");
}
