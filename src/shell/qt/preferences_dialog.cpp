#include "shell/qt/preferences_dialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "shell/preferences_form.h"
#include "shell/qt/main_window.h"
#include "shell/qt/qt_texts.h"
#include "texts/user_texts.h"

namespace {

// Room for a few digits, as the Windows dialog gives its fields.
constexpr int FieldWidthInDigits = 7;

// The dialog's controls, each at its index in preferencesControls().
struct PreferencesControls {
    QGroupBox* frames[PreferencesFrameCount] = {};
    QFormLayout* frameLayouts[PreferencesFrameCount] = {};
    std::vector<QLineEdit*> edits;
    std::vector<QAbstractButton*> toggles;
    QPushButton* buttons[PreferencesButtonCount] = {};
};

// The frames, each placed in its enclosing frame once that frame's own
// fields are in (placeFrames), or in the dialog.
void makeFrames(QDialog& dialog, PreferencesControls& controls)
{
    for (size_t f = 0; f < PreferencesFrameCount; ++f) {
        const int32_t enclosing = PreferencesFrames[f].enclosing;
        QWidget* parent = enclosing == NoEnclosingFrame ? static_cast<QWidget*>(&dialog) : controls.frames[enclosing];
        controls.frames[f] = new QGroupBox(withoutMnemonic(PreferencesFrames[f].title), parent);
        controls.frameLayouts[f] = new QFormLayout(controls.frames[f]);
        controls.frameLayouts[f]->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    }
}

// A number or text field with its label as its buddy, so that the field
// carries the label's words as its name on the accessibility bus.
QLineEdit* makeTextField(const PreferencesControl& control, QGroupBox& frame, QFormLayout& layout)
{
    auto* edit = new QLineEdit(&frame);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QString(FieldWidthInDigits, QLatin1Char('0'))));
    if (control.kind == ControlKind::Number) {
        edit->setAlignment(Qt::AlignRight);
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    }
    auto* label = new QLabel(withoutMnemonic(control.label), &frame);
    label->setBuddy(edit);
    layout.addRow(label, edit);
    return edit;
}

// A check box, or a radio button: the radio buttons of one frame exclude
// each other, and none is a Tab stop.
QAbstractButton* makeToggle(const PreferencesControl& control, QGroupBox& frame, QFormLayout& layout)
{
    QAbstractButton* toggle = nullptr;
    if (control.kind == ControlKind::CheckBox) {
        toggle = new QCheckBox(withoutMnemonic(control.label), &frame);
    } else {
        toggle = new QRadioButton(withoutMnemonic(control.label), &frame);
        toggle->setFocusPolicy(Qt::ClickFocus);
    }
    layout.addRow(toggle);
    return toggle;
}

void makeFields(PreferencesControls& controls)
{
    for (const PreferencesControl& control : preferencesControls()) {
        QGroupBox& frame = *controls.frames[control.frame];
        QFormLayout& layout = *controls.frameLayouts[control.frame];
        controls.edits.push_back(holdsText(control) ? makeTextField(control, frame, layout) : nullptr);
        controls.toggles.push_back(holdsText(control) ? nullptr : makeToggle(control, frame, layout));
    }
}

void placeFrames(QVBoxLayout& dialogLayout, const PreferencesControls& controls)
{
    for (size_t f = 0; f < PreferencesFrameCount; ++f) {
        const int32_t enclosing = PreferencesFrames[f].enclosing;
        if (enclosing == NoEnclosingFrame) {
            dialogLayout.addWidget(controls.frames[f]);
        } else {
            controls.frameLayouts[enclosing]->addRow(controls.frames[f]);
        }
    }
}

// Neither push button is the default button, and neither becomes it with
// the focus.
QPushButton* makeButton(QDialog& dialog, const char* text, QHBoxLayout& row)
{
    auto* button = new QPushButton(withoutMnemonic(text), &dialog);
    button->setAutoDefault(false);
    button->setDefault(false);
    row.addWidget(button);
    return button;
}

QPushButton* buttonWithId(const PreferencesControls& controls, int32_t controlId)
{
    for (size_t b = 0; b < PreferencesButtonCount; ++b) {
        if (PreferencesButtons[b].controlId == controlId) {
            return controls.buttons[b];
        }
    }
    return nullptr;
}

QWidget* controlWithId(const PreferencesControls& controls, int32_t controlId)
{
    if (QPushButton* button = buttonWithId(controls, controlId)) {
        return button;
    }
    const std::vector<PreferencesControl>& all = preferencesControls();
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i].controlId == controlId) {
            return controls.edits[i] != nullptr ? static_cast<QWidget*>(controls.edits[i]) : controls.toggles[i];
        }
    }
    return nullptr;
}

void setTabOrder(const PreferencesControls& controls)
{
    const std::vector<int32_t> order = preferencesTabOrder();
    for (size_t i = 1; i < order.size(); ++i) {
        QWidget::setTabOrder(controlWithId(controls, order[i - 1]), controlWithId(controls, order[i]));
    }
}

void buildControls(QDialog& dialog, PreferencesControls& controls)
{
    auto* dialogLayout = new QVBoxLayout(&dialog);
    dialogLayout->setSizeConstraint(QLayout::SetFixedSize);
    makeFrames(dialog, controls);
    makeFields(controls);
    placeFrames(*dialogLayout, controls);
    auto* buttons = new QHBoxLayout();
    dialogLayout->addLayout(buttons);
    for (size_t b = 0; b < PreferencesButtonCount; ++b) {
        controls.buttons[b] = makeButton(dialog, PreferencesButtons[b].label, *buttons);
    }
    setTabOrder(controls);
}

// A radio button is only ever ticked here: the one of the stored choice.
void fillControls(const PreferencesControls& controls, const PreferencesForm& form)
{
    for (size_t i = 0; i < controls.edits.size(); ++i) {
        if (controls.edits[i] != nullptr) {
            controls.edits[i]->setText(fromUtf8(form.texts[i].c_str()));
        } else if (form.ticks[i]) {
            controls.toggles[i]->setChecked(true);
        }
    }
}

PreferencesForm readControls(const PreferencesControls& controls)
{
    PreferencesForm form;
    for (size_t i = 0; i < controls.edits.size(); ++i) {
        form.texts.push_back(controls.edits[i] != nullptr ? controls.edits[i]->text().toStdString() : std::string());
        form.ticks.push_back(controls.toggles[i] != nullptr && controls.toggles[i]->isChecked());
    }
    return form;
}

void confirmOrStay(Workspace& ws, QDialog& dialog, const PreferencesControls& controls)
{
    if (confirmPreferences(ws, readControls(controls), handleOf(&dialog))) {
        dialog.accept();
    }
}

}  // namespace

void PreferencesDialogFrame::keyPressEvent(QKeyEvent* event)
{
    handlePreferencesKey(*this, *event);
}

void showPreferencesDialog(Workspace& ws, QWidget* owner)
{
    PreferencesDialogFrame dialog(owner);
    dialog.setWindowTitle(fromUtf8(PreferencesItem));
    // A caption without a close box, as the dialog has no system menu.
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    PreferencesControls controls;
    buildControls(dialog, controls);
    fillControls(controls, preferencesFormFrom(ws.preferences));
    QObject::connect(buttonWithId(controls, PreferencesOkId), &QPushButton::clicked, &dialog,
                     [&ws, &dialog, &controls] { confirmOrStay(ws, dialog, controls); });
    // Anuluj is a close request, which the dialog ends with 0.
    QObject::connect(buttonWithId(controls, PreferencesCancelId), &QPushButton::clicked, &dialog,
                     [&dialog] { dialog.close(); });
    controlWithId(controls, preferencesTabOrder().front())->setFocus();
    dialog.exec();
}

void handlePreferencesKey(QDialog& dialog, QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto* button = qobject_cast<QPushButton*>(dialog.focusWidget())) {
            button->click();
        }
        event.accept();
        break;
    case Qt::Key_Escape:
        event.accept();
        break;
    default:
        event.ignore();
        break;
    }
}
