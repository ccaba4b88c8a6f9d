#include "shell/text_depth_dialog.h"

#include <cerrno>
#include <cstdlib>

#include "models/render_model.h"
#include "texts/user_texts.h"

const TextDepthControl TextDepthControls[TextDepthControlCount] = {
    {"depth-text", TextDepthControlKind::Text, TextDepthTextLabel, 1101},
    {"depth-width", TextDepthControlKind::Number, TextDepthWidthLabel, 1102},
    {"depth-height", TextDepthControlKind::Number, TextDepthHeightLabel, 1103},
    {"depth-ok", TextDepthControlKind::Button, OkButtonText, TextDepthOkId},
    {"depth-cancel", TextDepthControlKind::Button, CancelButtonText, TextDepthCancelId},
};

namespace {

// A side typed in the field: digits only, 1 to MostDepthMapSide.
bool readSide(const std::string& text, int32_t& side) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
    errno = 0;
    const unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
    if (errno != 0 || value < 1 || value > static_cast<unsigned long long>(MostDepthMapSide)) return false;
    side = static_cast<int32_t>(value);
    return true;
}

bool hasNonBlank(const std::string& text) {
    return text.find_first_not_of(" \t\r\n") != std::string::npos;
}

}  // namespace

TextDepthForm textDepthFormFrom(const TextDepthRequest& request) {
    return TextDepthForm{{request.text, std::to_string(request.width), std::to_string(request.height)}};
}

bool confirmTextDepthForm(const TextDepthForm& form, TextDepthRequest& request, WindowHandle dialog) {
    int32_t width = 0, height = 0;
    if (!readSide(form.texts[1], width) || !readSide(form.texts[2], height)) {
        showMessage(dialog, BadDepthMapSizeText, WarningCaption);
        return false;
    }
    if (!hasNonBlank(form.texts[0])) {
        showMessage(dialog, EmptyTextText, WarningCaption);
        return false;
    }
    request = TextDepthRequest{form.texts[0], width, height};
    return true;
}
