// TLabel: text on its parent. Line breaks in the caption ("\n", "\r\n", "\r") start new
// lines; with WordWrap each line is further broken at spaces to fit the width (a word
// wider than the label stands alone and is cut off). With AutoSize the label takes the
// size of its text, keeping its width when it wraps (and taking the height of its lines
// again when the width changes); without AutoSize the text is cut off at the bounds.
// Unless Transparent, the background is filled with Color. A disabled label's text is
// etched grey.
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
    void SetBounds(int left, int top, int width, int height) override;
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
    bool adjusting_ = false;
};
