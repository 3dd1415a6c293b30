#include "platform/gfx/graphic.h"

#include <fstream>
#include <typeinfo>

#include "platform/sysutils.h"

void TGraphic::SetTransparent(bool value) {
    if (transparent_ == value) return;
    transparent_ = value;
    Changed();
}

void TGraphic::Assign(const TGraphic* source) {
    if (!source) throw EInvalidOperation("Cannot assign nothing to a graphic");
    source->AssignTo(*this);
}

void TGraphic::AssignTo(TGraphic& dest) const {
    throw EInvalidOperation(std::string("Cannot assign a ") + typeid(*this).name() + " to a " +
                            typeid(dest).name());
}

void TGraphic::Changed() {
    if (OnChange) OnChange(*this);
}

void TGraphic::LoadFromFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw EInvalidGraphic("Cannot open " + path);
    LoadFromStream(in);
}

void TGraphic::SaveToFile(const std::string& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw EInvalidGraphic("Cannot create " + path);
    SaveToStream(out);
    out.flush();
    if (!out) throw EInvalidGraphic("Cannot write " + path);
}

void TPicture::SetGraphic(const TGraphic* graphic) {
    SetGraphic(graphic ? graphic->Clone() : nullptr);
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) {
    graphic_ = std::move(graphic);
    Attach();
    Changed();
}

void TPicture::Attach() {
    if (graphic_) graphic_->OnChange = [this](TGraphic&) { Changed(); };
}

void TPicture::Changed() {
    if (OnChange) OnChange(*this);
}
