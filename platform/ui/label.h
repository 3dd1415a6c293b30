// TLabel: text on its parent. With WordWrap the caption is broken into lines at spaces
// to fit the width; with AutoSize the label takes the size of its text (keeping its
// width when it wraps). Unless Transparent, the background is filled with Color.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/control.h"

enum TTextLayout { tlTop, tlCenter, tlBottom };

class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* owner);

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wrap);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout layout);

    void SetText(const std::string& text) override;
    // The caption broken into the lines the label draws.
    std::vector<std::string> Lines() const;

    void Dispatch(TMessage& message) override;

protected:
    void Paint() override;
    void AdjustBounds();

private:
    TAlignment alignment_ = taLeftJustify;
    bool wordWrap_ = false;
    bool autoSize_ = true;
    bool transparent_ = false;
    TTextLayout layout_ = tlTop;
};
