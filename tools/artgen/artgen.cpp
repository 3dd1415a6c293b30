#include "tools/artgen/artgen.h"

#include <stdexcept>
#include <string>

#include "tools/artgen/backgrounds.h"
#include "tools/artgen/leds.h"
#include "tools/artgen/switches.h"

namespace {

enum TArtKind { akLed, akSwitch, akBackground, akDipSwitch };

struct TArtEntry {
    int Id;
    TArtKind Kind;
    TLedLook Led;
    bool SwitchSet;
    TBackgroundFormat Format;
    TBodyFinish Finish;
};

constexpr TArtEntry Led(int id, TLedHue hue, bool lit, bool keyed) {
    return {id, akLed, {hue, lit, keyed}, false, bfLargeStandard, bfFlatBlack};
}
constexpr TArtEntry Switch(int id, bool set) {
    return {id, akSwitch, {}, set, bfLargeStandard, bfFlatBlack};
}
constexpr TArtEntry Background(int id, TBackgroundFormat format, TBodyFinish finish) {
    return {id, akBackground, {}, false, format, finish};
}

// Ascending by number.
constexpr TArtEntry kArt[] = {
    Background(43, bfTinyHoriz, bfMahogany),
    Background(44, bfTinyStandard, bfMahogany),
    Background(45, bfSmallHoriz, bfMahogany),
    Background(46, bfLargeHoriz, bfMahogany),
    Background(47, bfSmallStandard, bfMahogany),
    Background(48, bfLargeStandard, bfMahogany),
    Led(49, lhGreen, true, true),
    Led(50, lhGreen, false, true),
    Led(51, lhAmber, true, true),
    Led(52, lhAmber, false, true),
    Led(53, lhBlue, true, true),
    Led(54, lhBlue, false, true),
    Led(55, lhRed, true, true),
    Led(56, lhRed, false, true),
    Background(57, bfTinyHoriz, bfBrushedAluminum),
    Background(58, bfTinyStandard, bfBrushedAluminum),
    Background(59, bfSmallHoriz, bfBrushedAluminum),
    Background(60, bfLargeHoriz, bfBrushedAluminum),
    Background(61, bfSmallStandard, bfBrushedAluminum),
    Background(62, bfLargeStandard, bfBrushedAluminum),
    {66, akDipSwitch, {}, false, bfLargeStandard, bfFlatBlack},
    Switch(67, false),
    Switch(68, true),
    Background(73, bfTinyHoriz, bfFlatBlack),
    Background(74, bfTinyStandard, bfFlatBlack),
    Led(75, lhGreen, false, false),
    Led(76, lhGreen, true, false),
    Led(77, lhAmber, false, false),
    Led(78, lhAmber, true, false),
    Led(79, lhBlue, false, false),
    Led(80, lhBlue, true, false),
    Background(82, bfSmallHoriz, bfFlatBlack),
    Background(83, bfLargeHoriz, bfFlatBlack),
    Background(84, bfSmallStandard, bfFlatBlack),
    Background(85, bfLargeStandard, bfFlatBlack),
    Led(88, lhRed, true, false),
    Led(89, lhRed, false, false),
};

}  // namespace

std::vector<int> ArtIds() {
    std::vector<int> ids;
    for (const TArtEntry& entry : kArt)
        ids.push_back(entry.Id);
    return ids;
}

std::vector<int> ArtFactors() {
    return {1, 2, 3, 4};
}

TBitmap DrawArt(int id, int factor) {
    if (factor < 1) throw std::invalid_argument("No picture at factor " + std::to_string(factor));
    for (const TArtEntry& entry : kArt) {
        if (entry.Id != id) continue;
        switch (entry.Kind) {
            case akLed:
                return DrawLed(entry.Led, factor);
            case akSwitch:
                return DrawSwitch(entry.SwitchSet, factor);
            case akBackground:
                return DrawBackground(entry.Format, entry.Finish, factor);
            case akDipSwitch:
                return DrawDipSwitchBlocks(factor);
        }
    }
    throw std::out_of_range("No picture number " + std::to_string(id));
}
