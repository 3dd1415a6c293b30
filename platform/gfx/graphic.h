// TGraphic: an abstract picture that can draw itself on a canvas. TPicture holds one
// graphic and reports its changes.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

#include "platform/gfx/types.h"

class TCanvas;

class TGraphic {
public:
    virtual ~TGraphic() = default;

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int width) = 0;
    virtual void SetHeight(int height) = 0;
    virtual bool Empty() const = 0;

    bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool value);

    // Draws the whole graphic into rect: unscaled when rect has the graphic's size,
    // stretched otherwise. Transparent graphics leave their key colour undrawn.
    virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;

    // A new graphic of the same class holding a copy of this one.
    virtual std::unique_ptr<TGraphic> Clone() const = 0;

    // Copies source into this graphic. A class that does not know the source asks the
    // source to copy itself (AssignTo); when neither can, EInvalidOperation is raised.
    // A null source empties the graphic.
    virtual void Assign(const TGraphic* source);
    virtual void AssignTo(TGraphic& dest) const;

    virtual void LoadFromStream(std::istream& in) = 0;
    virtual void SaveToStream(std::ostream& out) const = 0;
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path) const;

    // Palette support: true when the graphic carries a palette changed since last asked.
    virtual bool HasPalette() const { return false; }
    bool PaletteModified() const { return paletteModified_; }
    void SetPaletteModified(bool value) { paletteModified_ = value; }

    // Raised after every change of the graphic's pixels, size or transparency.
    std::function<void(TGraphic&)> OnChange;

protected:
    void Changed();
    bool transparent_ = false;
    bool paletteModified_ = false;
};

// Holds at most one graphic, owned, and tells OnChange when it changes.
class TPicture {
public:
    TPicture() = default;
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    TGraphic* Graphic() const { return graphic_.get(); }
    // Takes a copy of graphic (none empties the picture).
    void SetGraphic(const TGraphic* graphic);
    // Takes ownership of graphic.
    void SetGraphic(std::unique_ptr<TGraphic> graphic);
    // Copies another picture's graphic.
    void Assign(const TPicture& source) { SetGraphic(source.Graphic()); }

    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }

    std::function<void(TPicture&)> OnChange;

private:
    void Attach();
    void Changed();
    std::unique_ptr<TGraphic> graphic_;
};
