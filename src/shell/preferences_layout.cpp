#include "shell/preferences_layout.h"


namespace {

constexpr int32_t DialogWidth = 201;
constexpr int32_t Margin = 7;
constexpr int32_t FrameGap = 5;
// Below a frame's top, where its title runs, and below its last row.
constexpr int32_t FrameTitle = 13;
constexpr int32_t FrameBottom = 7;
// An enclosed frame's indent on each side within the frame that holds it.
constexpr int32_t EnclosedIndent = 8;
constexpr int32_t LabelIndent = 6;
constexpr int32_t FieldHeight = 12;
constexpr int32_t FieldRow = 16;
constexpr int32_t NumberWidth = 14;
constexpr int32_t TextWidth = 25;
constexpr int32_t ToggleHeight = 10;
constexpr int32_t CheckBoxIndent = 36;
constexpr int32_t CheckBoxRow = 12;
constexpr int32_t RadioIndent = 5;
constexpr int32_t RadioRow = 11;
// Check boxes keep a little air from the fields above them.
constexpr int32_t BeforeCheckBoxes = 6;
constexpr int32_t ButtonWidth = 78;
constexpr int32_t ButtonHeight = 20;

// Lays out one frame from `top` at x within `width`: its own controls, then
// the frames it encloses; returns the frame's height.
int32_t layOutFrame(PreferencesLayout& layout, int32_t frame, int32_t x, int32_t top, int32_t width) {
    const std::vector<PreferencesControl>& controls = preferencesControls();
    int32_t y = top + FrameTitle;
    bool afterField = false;
    for (size_t i = 0; i < controls.size(); ++i) {
        const PreferencesControl& control = controls[i];
        if (control.frame != frame) continue;
        if (holdsText(control)) {
            const int32_t fieldWidth = control.kind == ControlKind::Number ? NumberWidth : TextWidth;
            const int32_t fieldX = x + width - LabelIndent - fieldWidth;
            layout.labels[i] = DialogRect{x + LabelIndent, y, fieldX - 3 - (x + LabelIndent), FieldHeight};
            layout.controls[i] = DialogRect{fieldX, y, fieldWidth, FieldHeight};
            y += FieldRow;
            afterField = true;
        } else if (control.kind == ControlKind::CheckBox) {
            if (afterField) y += BeforeCheckBoxes;
            afterField = false;
            layout.controls[i] = DialogRect{x + CheckBoxIndent, y, width - CheckBoxIndent - LabelIndent, ToggleHeight};
            y += CheckBoxRow;
        } else {
            layout.controls[i] = DialogRect{x + RadioIndent, y, width - 2 * RadioIndent, ToggleHeight};
            y += RadioRow;
        }
    }
    for (size_t inner = 0; inner < PreferencesFrameCount; ++inner) {
        if (PreferencesFrames[inner].enclosing != frame) continue;
        const int32_t height =
            layOutFrame(layout, static_cast<int32_t>(inner), x + EnclosedIndent, y, width - 2 * EnclosedIndent);
        y += height + FrameGap;
    }
    const int32_t height = y - top + FrameBottom;
    layout.frames[frame] = DialogRect{x, top, width, height};
    return height;
}

}  // namespace

PreferencesLayout layOutPreferences() {
    PreferencesLayout layout;
    const size_t count = preferencesControls().size();
    layout.labels.assign(count, DialogRect{});
    layout.controls.assign(count, DialogRect{});
    const int32_t frameWidth = DialogWidth - 2 * Margin;
    int32_t y = Margin;
    for (size_t frame = 0; frame < PreferencesFrameCount; ++frame) {
        if (PreferencesFrames[frame].enclosing != NoEnclosingFrame) continue;
        y += layOutFrame(layout, static_cast<int32_t>(frame), Margin, y, frameWidth) + FrameGap;
    }
    const int32_t buttonGap = frameWidth - 2 * ButtonWidth;
    for (size_t b = 0; b < PreferencesButtonCount; ++b)
        layout.buttons[b] =
            DialogRect{Margin + static_cast<int32_t>(b) * (ButtonWidth + buttonGap), y, ButtonWidth, ButtonHeight};
    layout.dialog = DialogRect{30, 30, DialogWidth, y + ButtonHeight + Margin};
    return layout;
}
