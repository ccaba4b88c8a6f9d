// The dialog that asks for a depth map of raised text: its controls, which
// both windows build and the test scenarios find by name, its form, and
// what its OK accepts, kept apart from the controls so that it is tested
// without them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "workspace/workspace.h"

enum class TextDepthControlKind { Text, Number, Button };

struct TextDepthControl {
    const char* name;  // the program's word for it in the scenarios
    TextDepthControlKind kind;
    const char* label;  // a field's label, a button's own text
    int32_t controlId;
};

// The three fields (the text, its width and height) and then the OK and
// Anuluj buttons, in the Tab key's order.
constexpr size_t TextDepthFieldCount = 3;
constexpr size_t TextDepthControlCount = 5;
extern const TextDepthControl TextDepthControls[TextDepthControlCount];
constexpr int32_t TextDepthOkId = 1104;
constexpr int32_t TextDepthCancelId = 1105;

// What the three fields hold, in their order.
struct TextDepthForm {
    std::string texts[TextDepthFieldCount];
};

TextDepthForm textDepthFormFrom(const TextDepthRequest& request);

// OK: reads the form into `request`. Returns false, with a message owned by
// the dialog, for a width or height that is not a whole number from 1 to
// the largest side of a drawn depth map, or a text of nothing but blanks;
// the dialog stays open then.
bool confirmTextDepthForm(const TextDepthForm& form, TextDepthRequest& request, WindowHandle dialog);
