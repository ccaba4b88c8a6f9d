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

#include "shell/preferences_fields.h"
#include "shell/preferences_form.h"
#include "shell/qt/main_window.h"
#include "shell/qt/qt_texts.h"
#include "shell/preferences_ids.h"
#include "texts/user_texts.h"

namespace {

// Room for a few digits, as the Windows template gives its fields.
constexpr int FieldWidthInDigits = 7;

// The dialog's controls, each field at its index in PreferencesFields.
struct PreferencesControls {
    QGroupBox* groups[PreferencesGroupCount] = {};
    QFormLayout* groupLayouts[PreferencesGroupCount] = {};
    QLineEdit* edits[PreferencesFieldCount] = {};
    QAbstractButton* toggles[PreferencesFieldCount] = {};
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
};

// The frames, each placed in its enclosing frame once that frame's own
// fields are in (placeGroups), or in the dialog.
void makeGroups(QDialog& dialog, PreferencesControls& controls)
{
    for (size_t g = 0; g < PreferencesGroupCount; ++g) {
        const int32_t enclosing = PreferencesGroups[g].enclosing;
        QWidget* parent = enclosing == NoEnclosingGroup ? static_cast<QWidget*>(&dialog) : controls.groups[enclosing];
        controls.groups[g] = new QGroupBox(withoutMnemonic(PreferencesGroups[g].title), parent);
        controls.groupLayouts[g] = new QFormLayout(controls.groups[g]);
        controls.groupLayouts[g]->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    }
}

// A number or text field with its label as its buddy, so that the field
// carries the label's words as its name on the accessibility bus.
QLineEdit* makeTextField(const PreferencesField& field, QGroupBox& group, QFormLayout& layout)
{
    auto* edit = new QLineEdit(&group);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QString(FieldWidthInDigits, QLatin1Char('0'))));
    if (field.kind == FieldKind::Number) {
        edit->setAlignment(Qt::AlignRight);
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    }
    auto* label = new QLabel(withoutMnemonic(field.label), &group);
    label->setBuddy(edit);
    layout.addRow(label, edit);
    return edit;
}

// A check box, or a radio button: the radio buttons of one frame exclude
// each other, and none is a Tab stop.
QAbstractButton* makeToggle(const PreferencesField& field, QGroupBox& group, QFormLayout& layout)
{
    QAbstractButton* toggle = nullptr;
    if (field.kind == FieldKind::CheckBox) {
        toggle = new QCheckBox(withoutMnemonic(field.label), &group);
    } else {
        toggle = new QRadioButton(withoutMnemonic(field.label), &group);
        toggle->setFocusPolicy(Qt::ClickFocus);
    }
    layout.addRow(toggle);
    return toggle;
}

void makeFields(PreferencesControls& controls)
{
    for (size_t i = 0; i < PreferencesFieldCount; ++i) {
        const PreferencesField& field = PreferencesFields[i];
        QGroupBox& group = *controls.groups[field.group];
        QFormLayout& layout = *controls.groupLayouts[field.group];
        if (holdsText(field)) {
            controls.edits[i] = makeTextField(field, group, layout);
        } else {
            controls.toggles[i] = makeToggle(field, group, layout);
        }
    }
}

void placeGroups(QVBoxLayout& dialogLayout, const PreferencesControls& controls)
{
    for (size_t g = 0; g < PreferencesGroupCount; ++g) {
        const int32_t enclosing = PreferencesGroups[g].enclosing;
        if (enclosing == NoEnclosingGroup) {
            dialogLayout.addWidget(controls.groups[g]);
        } else {
            controls.groupLayouts[enclosing]->addRow(controls.groups[g]);
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

QWidget* controlWithId(const PreferencesControls& controls, int32_t controlId)
{
    if (controlId == PREFERENCES_OK) {
        return controls.ok;
    }
    if (controlId == PREFERENCES_CANCEL) {
        return controls.cancel;
    }
    for (size_t i = 0; i < PreferencesFieldCount; ++i) {
        if (PreferencesFields[i].controlId == controlId) {
            return controls.edits[i] != nullptr ? static_cast<QWidget*>(controls.edits[i]) : controls.toggles[i];
        }
    }
    return nullptr;
}

void setTabOrder(const PreferencesControls& controls)
{
    for (size_t i = 1; i < PreferencesTabStopCount; ++i) {
        QWidget::setTabOrder(controlWithId(controls, PreferencesTabOrder[i - 1]),
                             controlWithId(controls, PreferencesTabOrder[i]));
    }
}

void buildControls(QDialog& dialog, PreferencesControls& controls)
{
    auto* dialogLayout = new QVBoxLayout(&dialog);
    dialogLayout->setSizeConstraint(QLayout::SetFixedSize);
    makeGroups(dialog, controls);
    makeFields(controls);
    placeGroups(*dialogLayout, controls);
    auto* buttons = new QHBoxLayout();
    dialogLayout->addLayout(buttons);
    controls.ok = makeButton(dialog, OkButtonText, *buttons);
    controls.cancel = makeButton(dialog, CancelButtonText, *buttons);
    setTabOrder(controls);
}

// A radio button is only ever ticked here: the one of the stored policy.
void fillControls(const PreferencesControls& controls, const PreferencesForm& form)
{
    for (size_t i = 0; i < PreferencesFieldCount; ++i) {
        const PreferencesField& field = PreferencesFields[i];
        if (holdsText(field)) {
            controls.edits[i]->setText(fromUtf8((form.*field.text).c_str()));
        } else if (form.*field.ticked) {
            controls.toggles[i]->setChecked(true);
        }
    }
}

PreferencesForm readControls(const PreferencesControls& controls)
{
    PreferencesForm form;
    for (size_t i = 0; i < PreferencesFieldCount; ++i) {
        const PreferencesField& field = PreferencesFields[i];
        if (holdsText(field)) {
            form.*field.text = controls.edits[i]->text().toStdString();
        } else {
            form.*field.ticked = controls.toggles[i]->isChecked();
        }
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
    QObject::connect(controls.ok, &QPushButton::clicked, &dialog,
                     [&ws, &dialog, &controls] { confirmOrStay(ws, dialog, controls); });
    // Anuluj is a close request, which the dialog ends with 0.
    QObject::connect(controls.cancel, &QPushButton::clicked, &dialog, [&dialog] { dialog.close(); });
    controlWithId(controls, PreferencesTabOrder[0])->setFocus();
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
