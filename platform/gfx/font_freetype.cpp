// The system font provider: fontconfig chooses a font file for a description, FreeType
// renders it.
//
// Family names. Every font is found by fontconfig from a pattern, so the user's fonts.conf
// has its say. The classic dialog names ("MS Sans Serif", "MS Shell Dlg", "Tahoma",
// "Arial"), an empty name and every name that is not installed ask for the dialog face: a
// condensed sans-serif close to the classic dialog font's metrics, DejaVu Sans Condensed
// (fonts-dejavu-extra, which the package depends on), then the user's sans-serif,
// preferring a semi-condensed cut of it. The generic names sans-serif, serif and
// monospace are passed on as they are (monospace is DejaVu Sans Mono, from
// fonts-dejavu-core, unless the user chose another). When fontconfig finds no font at
// all, or the file it names cannot be loaded, the built-in fixed font stands in, so text
// is still drawn.
//
// Style. Bold asks for a bold weight and italic for an italic slant; when the chosen file
// has neither, the outlines are thickened (by whole pixels, widening every advance) or
// slanted (leaving the advances as they are).
//
// Metrics and layout. Ascent and descent are the face's ascender and descender at the
// size, each rounded to the nearest pixel, which keeps an 11-pixel DejaVu face in the
// classic dialog font's 13-pixel cell; the underline comes from the face's own position
// and thickness and the strike-out lies 0.3 em above the baseline. Every glyph advances by its
// hinted advance rounded to whole pixels, and no kerning is applied, so a string measures exactly
// as wide as it draws and a string's width is the sum of its characters' widths, as with the
// system's TextOut.
//
// Drawing. Glyphs are hinted lightly (vertical only, which keeps small text crisp without
// distorting its shapes) and rendered to 8-bit coverage, which is blended with the
// 24-bit target: out = (colour * a + target * (255 - a)) / 255.
//
// Cost. Creating the provider does nothing; fontconfig is initialised (from its cache,
// some milliseconds) and the library opened on the first Face() call. ReleaseCaches lets
// fontconfig's configuration go until the next new face. Faces are kept by description, and each
// face keeps its rendered glyphs by code point, so measuring and drawing the same text again
// renders nothing. None of this is thread-safe: text is measured and drawn on the UI thread.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_MODULE_H
#include FT_SYSTEM_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H

#include <fontconfig/fontconfig.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/coverage.h"
#include "platform/gfx/font.h"
#include "platform/gfx/utf8.h"

namespace {

constexpr int kMaxPixelHeight = 1024;
// A face forgets its rendered glyphs when it holds more than this many.
constexpr size_t kMaxCachedGlyphs = 2048;

// Owners of the library objects.
struct TFtLibraryFree {
    void operator()(FT_Library library) const {
#ifdef ZT_FREETYPE_LINKED_IN
        FT_Done_Library(library);  // its memory object is a static one, not to be freed
#else
        FT_Done_FreeType(library);
#endif
    }
};
struct TFtFaceFree {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
struct TFcConfigFree {
    void operator()(FcConfig* config) const { FcConfigDestroy(config); }
};
struct TFcPatternFree {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using TFtLibraryPtr = std::unique_ptr<FT_LibraryRec_, TFtLibraryFree>;
using TFtFacePtr = std::unique_ptr<FT_FaceRec_, TFtFaceFree>;
using TFcConfigPtr = std::unique_ptr<FcConfig, TFcConfigFree>;
using TFcPatternPtr = std::unique_ptr<FcPattern, TFcPatternFree>;

#ifdef ZT_FREETYPE_LINKED_IN
// The module classes of a FreeType linked into the program (their names are FreeType's
// own; a shared FreeType does not export them).
extern "C" {
extern const FT_Module_Class sfnt_module_class;
extern const FT_Module_Class tt_driver_class;
extern const FT_Module_Class autofit_module_class;
extern const FT_Module_Class ft_smooth_renderer_class;
extern const FT_Module_Class ft_raster1_renderer_class;
}
#endif

// The FreeType library, shared by the provider and every face it made: a face may outlive
// its provider (a font keeps its face), and the library must outlive the face.
//
// A FreeType linked into the program starts with the modules TrueType files need (the
// font container, the TrueType driver, the auto-hinter and the two renderers), which
// render exactly as the full set does; the other drivers (CFF, Type 1, bitmap formats,
// ...) are added the first time a file is not TrueType. Initialising every module would
// bring all of FreeType's code into memory for the one face a clock uses.
class TFreeTypeLibrary {
public:
    static std::shared_ptr<TFreeTypeLibrary> Open() {
        FT_Library library = nullptr;
#ifdef ZT_FREETYPE_LINKED_IN
        static FT_MemoryRec_ memory{nullptr,
                                    [](FT_Memory, long size) { return std::malloc(size_t(size)); },
                                    [](FT_Memory, void* block) { std::free(block); },
                                    [](FT_Memory, long, long size, void* block) {
                                        return std::realloc(block, size_t(size));
                                    }};
        if (FT_New_Library(&memory, &library) != 0) return nullptr;
        for (const FT_Module_Class* module :
             {&sfnt_module_class, &tt_driver_class, &autofit_module_class,
              &ft_smooth_renderer_class, &ft_raster1_renderer_class})
            FT_Add_Module(library, module);
        FT_Set_Default_Properties(library);
        const bool complete = false;
#else
        if (FT_Init_FreeType(&library) != 0) return nullptr;
        const bool complete = true;
#endif
        return std::shared_ptr<TFreeTypeLibrary>(
            new TFreeTypeLibrary(TFtLibraryPtr(library), complete));
    }
    FT_Library Get() const {
        return library_.get();
    }

    // Opens a face of a font file, adding the remaining drivers when the ones loaded do
    // not know the file's format.
    FT_Error NewFace(const char* file, FT_Long index, FT_Face* face) {
        FT_Error error = OpenFace(file, index, face);
        if (error == FT_Err_Unknown_File_Format && !complete_) {
            FT_Add_Default_Modules(library_.get());  // modules already there are kept
            complete_ = true;
            error = OpenFace(file, index, face);
        }
        return error;
    }

private:
    TFreeTypeLibrary(TFtLibraryPtr library, bool complete)
        : library_(std::move(library)), complete_(complete) {}

    // The file is read with pread as FreeType asks for its tables and glyphs, rather than
    // mapped: a mapping would keep every page around each glyph looked at resident for
    // the rest of the run, although a clock draws a few dozen glyphs once.
    FT_Error OpenFace(const char* file, FT_Long index, FT_Face* face) {
        const int fd = ::open(file, O_RDONLY | O_CLOEXEC);
        if (fd < 0) return FT_Err_Cannot_Open_Resource;
        struct stat st {};
        if (fstat(fd, &st) != 0 || st.st_size <= 0 || uint64_t(st.st_size) > ULONG_MAX) {
            ::close(fd);
            return FT_Err_Cannot_Open_Stream;
        }
        // FreeType closes the stream when the face is done, or when opening it fails.
        auto* stream = new FT_StreamRec{};
        stream->size = static_cast<unsigned long>(st.st_size);
        stream->descriptor.value = fd;
        stream->read = [](FT_Stream s, unsigned long offset, unsigned char* buffer,
                          unsigned long count) -> unsigned long {
            if (count == 0) return offset <= s->size ? 0 : 1;  // a seek: 0 when it succeeds
            unsigned long done = 0;
            while (done < count) {
                const ssize_t n = pread(int(s->descriptor.value), buffer + done, count - done,
                                        off_t(offset + done));
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) break;
                done += static_cast<unsigned long>(n);
            }
            return done;
        };
        stream->close = [](FT_Stream s) {
            ::close(int(s->descriptor.value));
            delete s;
        };
        FT_Open_Args args{};
        args.flags = FT_OPEN_STREAM;
        args.stream = stream;
        return FT_Open_Face(library_.get(), &args, index, face);
    }

    TFtLibraryPtr library_;
    bool complete_;
};

// A rendered glyph: its advance and its coverage bitmap placed relative to the pen on
// the baseline.
struct TGlyph {
    int Advance = 0;
    int Left = 0;  // first column, right of the pen
    int Top = 0;   // first row, above the baseline
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Coverage;  // Width * Height bytes, top row first
};

int RoundPixels(FT_Pos value) {
    return int((value + 32) >> 6);
}

// Copies a FreeType bitmap into 8-bit coverage; modes without coverage give no pixels.
void CopyCoverage(const FT_Bitmap& bitmap, TGlyph& glyph) {
    const int width = int(bitmap.width), rows = int(bitmap.rows);
    const int pitch = std::abs(bitmap.pitch);
    const bool gray = bitmap.pixel_mode == FT_PIXEL_MODE_GRAY;
    const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
    const bool bgra = bitmap.pixel_mode == FT_PIXEL_MODE_BGRA;
    if (width <= 0 || rows <= 0 || !bitmap.buffer || !(gray || mono || bgra)) return;
    glyph.Width = width;
    glyph.Height = rows;
    glyph.Coverage.assign(size_t(width) * size_t(rows), 0);
    const int levels = std::max(2, int(bitmap.num_grays));
    for (int row = 0; row < rows; ++row) {
        // The buffer starts with the top row for a positive pitch, the bottom row otherwise.
        const int memoryRow = bitmap.pitch >= 0 ? row : rows - 1 - row;
        const uint8_t* src = bitmap.buffer + size_t(memoryRow) * size_t(pitch);
        uint8_t* dst = glyph.Coverage.data() + size_t(row) * size_t(width);
        for (int x = 0; x < width; ++x) {
            if (gray)
                dst[x] = uint8_t(levels == 256 ? src[x] : src[x] * 255 / (levels - 1));
            else if (mono)
                dst[x] = (src[x >> 3] >> (7 - (x & 7)) & 1) ? 255 : 0;
            else
                dst[x] = src[4 * x + 3];
        }
    }
}

// Up to this pixel height text is drawn without smoothing.
constexpr int kCrispPixelHeight = 14;

class TFreeTypeFace final : public TFontFace {
public:
    TFreeTypeFace(std::shared_ptr<TFreeTypeLibrary> library, TFtFacePtr face, int pixelHeight,
                  bool embolden, bool oblique)
        : library_(std::move(library)),
          face_(std::move(face)),
          embolden_(embolden),
          oblique_(oblique),
          crisp_(pixelHeight <= kCrispPixelHeight) {
        const FT_Size_Metrics& size = face_->size->metrics;
        // An outline face's ascender and descender at the size, each rounded to the nearest
        // pixel (FreeType rounds them outwards): the classic dialog font's cell, 13 pixels
        // for 11, is what dialogs are laid out for.
        const bool scalable = FT_IS_SCALABLE(face_.get());
        metrics_.Ascent = std::max(
            0, RoundPixels(scalable ? FT_MulFix(face_->ascender, size.y_scale) : size.ascender));
        metrics_.Descent = std::max(
            0,
            RoundPixels(scalable ? -FT_MulFix(face_->descender, size.y_scale) : -size.descender));
        if (metrics_.Height() == 0) {
            metrics_.Ascent = pixelHeight;
            metrics_.Descent = (pixelHeight + 4) / 5;
        }
        int position = 0, thickness = 0;
        if (FT_IS_SCALABLE(face_.get())) {
            position = RoundPixels(-FT_MulFix(face_->underline_position, size.y_scale));
            thickness = RoundPixels(FT_MulFix(face_->underline_thickness, size.y_scale));
        }
        metrics_.LineThickness = std::max(1, thickness);
        if (position < 1) position = std::max(1, pixelHeight / 11);
        // Keep the underline inside the cell where the descent leaves room for it.
        if (metrics_.Descent > metrics_.LineThickness)
            position = std::min(position, metrics_.Descent - metrics_.LineThickness);
        metrics_.UnderlinePosition = position;
        metrics_.StrikeOutPosition = std::max(1, (3 * pixelHeight + 5) / 10);
    }

    TFontMetrics Metrics() const override { return metrics_; }

    std::string FaceName() const override {
        std::string name = face_->family_name ? face_->family_name : "";
        if (face_->style_name && std::string_view(face_->style_name) != "Regular" &&
            std::string_view(face_->style_name) != "Book")
            name += std::string(name.empty() ? "" : " ") + face_->style_name;
        return name;
    }

    int TextWidth(std::string_view text) const override {
        int64_t width = 0;
        ForEachCodePoint(text, [&](char32_t c) { width += Glyph(c).Advance; });
        return int(std::clamp<int64_t>(width, INT_MIN, INT_MAX));
    }

    int TrailingBlank(std::string_view text) const override {
        char32_t last = 0;
        ForEachCodePoint(text, [&](char32_t c) { last = c; });
        if (text.empty()) return 0;
        const TGlyph& glyph = Glyph(last);
        if (glyph.Coverage.empty()) return 0;
        return std::clamp(glyph.Advance - (glyph.Left + glyph.Width), 0,
                          std::max(0, glyph.Advance));
    }

    void DrawText(TBitmap& target, int x, int y, std::string_view text, TColor color,
                  const TRect& clip) const override {
        const TRect area = clip.Intersect({0, 0, target.Width(), target.Height()});
        if (area.IsEmpty()) return;
        const int baseline = y + metrics_.Ascent;
        int64_t pen = x;
        ForEachCodePoint(text, [&](char32_t c) {
            const TGlyph& glyph = Glyph(c);
            const int64_t left = pen + glyph.Left;
            pen += glyph.Advance;
            if (glyph.Coverage.empty()) return;
            BlendCoverage(target, area, left, baseline - glyph.Top, glyph.Width, glyph.Height,
                          glyph.Coverage.data(), color);
        });
    }

private:
    // Thickens a glyph to stand for a missing bold face: by a 24th of the em, but by whole
    // pixels and at least one, as FreeType's own amount (less than a pixel at dialog sizes)
    // would neither show nor widen the advance. Only the strokes grow to the right; the
    // height stays.
    void Embolden(FT_GlyphSlot slot) const {
        if (slot->format != FT_GLYPH_FORMAT_OUTLINE) {
            FT_GlyphSlot_Embolden(slot);  // bitmaps are thickened by whole pixels already
            return;
        }
        const FT_Pos em = FT_MulFix(face_->units_per_EM, face_->size->metrics.y_scale);
        const FT_Pos strength = std::max<FT_Pos>(64, (em / 24 + 32) & ~FT_Pos(63));
        if (FT_Outline_EmboldenXY(&slot->outline, strength, 0) != 0) return;
        slot->advance.x += strength;
    }

    const TGlyph& Glyph(char32_t c) const {
        auto found = glyphs_.find(c);
        if (found != glyphs_.end()) return found->second;
        if (glyphs_.size() >= kMaxCachedGlyphs) glyphs_.clear();
        TGlyph glyph;
        FT_Face face = face_.get();
        // A character the face lacks draws as the face's missing-glyph shape (index 0).
        const FT_UInt index = FT_Get_Char_Index(face, FT_ULong(c));
        if (FT_Load_Glyph(face, index, crisp_ ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_LIGHT) == 0) {
            FT_GlyphSlot slot = face->glyph;
            if (embolden_) Embolden(slot);
            if (oblique_) FT_GlyphSlot_Oblique(slot);
            glyph.Advance = RoundPixels(slot->advance.x);
            if (slot->format == FT_GLYPH_FORMAT_BITMAP ||
                FT_Render_Glyph(slot, crisp_ ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) == 0) {
                glyph.Left = slot->bitmap_left;
                glyph.Top = slot->bitmap_top;
                CopyCoverage(slot->bitmap, glyph);
            }
        }
        return glyphs_.emplace(c, std::move(glyph)).first->second;
    }

    std::shared_ptr<TFreeTypeLibrary> library_;  // declared first: released last
    TFtFacePtr face_;
    bool embolden_;
    bool oblique_;
    // Small text is drawn aliased, pixel-snapped like the classic desktop's bitmap dialog
    // font: crisp on every background, and with no half-dark fringe that a black colour
    // key would leave standing around the letters.
    bool crisp_;
    TFontMetrics metrics_;
    mutable std::unordered_map<char32_t, TGlyph> glyphs_;
};

// The font file fontconfig chose for a description.
struct TMatch {
    TFcPatternPtr Pattern;
    std::string File;
    int Index = 0;
    int Weight = FC_WEIGHT_REGULAR;
    int Slant = FC_SLANT_ROMAN;
};

bool SameName(const std::string& a, const char* b) {
    return FcStrCmpIgnoreCase(reinterpret_cast<const FcChar8*>(a.c_str()),
                              reinterpret_cast<const FcChar8*>(b)) == 0;
}

// The condensed sans-serif face the dialog font asks for first.
constexpr const char* kDialogFamily = "DejaVu Sans Condensed";

// Names that stand for the system's dialog font.
bool IsDialogName(const std::string& name) {
    static constexpr const char* kNames[] = {"MS Sans Serif", "Microsoft Sans Serif",
                                             "MS Shell Dlg",  "MS Shell Dlg 2",
                                             "Tahoma",        "Arial"};
    return std::any_of(std::begin(kNames), std::end(kNames),
                       [&](const char* n) { return SameName(name, n); });
}

// fontconfig's own generic families, which match no installed family by name.
bool IsGenericName(const std::string& name) {
    static constexpr const char* kNames[] = {"sans-serif", "sans", "serif", "monospace", "mono"};
    return std::any_of(std::begin(kNames), std::end(kNames),
                       [&](const char* n) { return SameName(name, n); });
}

bool HasFamily(const FcPattern* pattern, const std::string& name) {
    FcChar8* family = nullptr;
    for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &family) == FcResultMatch; ++i)
        if (SameName(name, reinterpret_cast<const char*>(family))) return true;
    return false;
}

// The best file for families, tried in their order, and the description's size and style.
std::optional<TMatch> MatchFamilies(FcConfig* config, std::initializer_list<const char*> families,
                                    const TFontDesc& desc, int width = FC_WIDTH_NORMAL) {
    TFcPatternPtr pattern(FcPatternCreate());
    if (!pattern) return std::nullopt;
    for (const char* family : families)
        FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddInteger(pattern.get(), FC_WIDTH, width);
    FcPatternAddDouble(pattern.get(), FC_PIXEL_SIZE, desc.PixelHeight);
    FcPatternAddInteger(pattern.get(), FC_WEIGHT,
                        (desc.Style & fsBold) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern.get(), FC_SLANT,
                        (desc.Style & fsItalic) ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    if (!FcConfigSubstitute(config, pattern.get(), FcMatchPattern)) return std::nullopt;
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    TMatch match;
    match.Pattern.reset(FcFontMatch(config, pattern.get(), &result));
    if (!match.Pattern) return std::nullopt;
    FcChar8* file = nullptr;
    if (FcPatternGetString(match.Pattern.get(), FC_FILE, 0, &file) != FcResultMatch || !file)
        return std::nullopt;
    match.File = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(match.Pattern.get(), FC_INDEX, 0, &match.Index);
    FcPatternGetInteger(match.Pattern.get(), FC_WEIGHT, 0, &match.Weight);
    FcPatternGetInteger(match.Pattern.get(), FC_SLANT, 0, &match.Slant);
    return match;
}

// The dialog face (see the top of the file).
std::optional<TMatch> MatchDialogFace(FcConfig* config, const TFontDesc& desc) {
    return MatchFamilies(config, {kDialogFamily, "sans-serif"}, desc, FC_WIDTH_SEMICONDENSED);
}

// Sets the face's size; a face without outlines takes its nearest bitmap size.
bool SetPixelHeight(FT_Face face, int pixelHeight) {
    if (FT_IS_SCALABLE(face)) return FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelHeight)) == 0;
    if (face->num_fixed_sizes <= 0) return false;
    int best = 0;
    for (int i = 1; i < face->num_fixed_sizes; ++i)
        if (std::abs(face->available_sizes[i].height - pixelHeight) <
            std::abs(face->available_sizes[best].height - pixelHeight))
            best = i;
    return FT_Select_Size(face, best) == 0;
}

class TSystemFontProvider final : public TFontProvider {
public:
    // fontconfig's configuration (some hundred kilobytes) is loaded again when a new face
    // is asked for.
    void ReleaseCaches() override {
        config_.reset();
        configFailed_ = false;
    }

    std::shared_ptr<const TFontFace> Face(const TFontDesc& desc) override {
        auto key = std::make_tuple(desc.Name, desc.PixelHeight, desc.Style & (fsBold | fsItalic));
        auto found = faces_.find(key);
        if (found != faces_.end()) return found->second;
        TFontDesc wanted{desc.Name, std::clamp(desc.PixelHeight, 1, kMaxPixelHeight),
                         desc.Style & (fsBold | fsItalic)};
        std::shared_ptr<const TFontFace> face = Load(wanted);
        if (!face) face = Fixed().Face(wanted);
        faces_.emplace(std::move(key), face);
        return face;
    }

private:
    std::shared_ptr<const TFontFace> Load(const TFontDesc& desc) {
        std::optional<TMatch> match = Match(desc);
        if (!match) return nullptr;
        if (!library_) library_ = TFreeTypeLibrary::Open();
        if (!library_) return nullptr;
        FT_Face raw = nullptr;
        if (library_->NewFace(match->File.c_str(), match->Index, &raw) != 0) return nullptr;
        TFtFacePtr face(raw);
        if (!SetPixelHeight(face.get(), desc.PixelHeight)) return nullptr;
        const bool embolden = (desc.Style & fsBold) && match->Weight < FC_WEIGHT_DEMIBOLD;
        const bool oblique = (desc.Style & fsItalic) && match->Slant == FC_SLANT_ROMAN;
        return std::make_shared<TFreeTypeFace>(library_, std::move(face), desc.PixelHeight,
                                               embolden, oblique);
    }

    std::optional<TMatch> Match(const TFontDesc& desc) {
        if (!config_ && !configFailed_) {
            config_.reset(FcInitLoadConfigAndFonts());
            configFailed_ = !config_;
        }
        if (!config_) return std::nullopt;
        // The dialog font of the classic desktop is narrow: a condensed face keeps dialog
        // texts within the space their layouts give them.
        if (desc.Name.empty() || IsDialogName(desc.Name))
            return MatchDialogFace(config_.get(), desc);
        std::optional<TMatch> match = MatchFamilies(config_.get(), {desc.Name.c_str()}, desc);
        // fontconfig always offers something; a different family means the name is not
        // installed, and the dialog face stands in.
        if (match && !IsGenericName(desc.Name) && !HasFamily(match->Pattern.get(), desc.Name))
            match = MatchDialogFace(config_.get(), desc);
        return match;
    }

    TFontProvider& Fixed() {
        if (!fixed_) fixed_ = CreateFixedFontProvider();
        return *fixed_;
    }

    TFcConfigPtr config_;
    bool configFailed_ = false;
    std::shared_ptr<TFreeTypeLibrary> library_;
    std::shared_ptr<TFontProvider> fixed_;
    std::map<std::tuple<std::string, int, TFontStyles>, std::shared_ptr<const TFontFace>> faces_;
};

}  // namespace

std::shared_ptr<TFontProvider> CreateSystemFontProvider() {
    return std::make_shared<TSystemFontProvider>();
}
