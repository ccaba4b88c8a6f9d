#include "shell/qt/text_depth_dialog.h"

#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "shell/qt/main_window.h"
#include "shell/qt/qt_texts.h"
#include "shell/text_depth_dialog.h"
#include "texts/user_texts.h"

namespace {

// Room for the text, and for a few digits in the size fields.
constexpr int TextFieldWidthInLetters = 32;
constexpr int NumberFieldWidthInDigits = 7;

int widthOf(const QLineEdit& edit, int characters)
{
    return edit.fontMetrics().horizontalAdvance(QString(characters, QLatin1Char('0')));
}

// A field with its label as its buddy, so that the field carries the
// label's words as its name on the accessibility bus.
QLineEdit* makeField(QDialog& dialog, QFormLayout& layout, const TextDepthControl& control, const std::string& text)
{
    auto* edit = new QLineEdit(fromUtf8(text.c_str()), &dialog);
    if (control.kind == TextDepthControlKind::Number) {
        edit->setFixedWidth(widthOf(*edit, NumberFieldWidthInDigits));
        edit->setAlignment(Qt::AlignRight);
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    } else {
        edit->setMinimumWidth(widthOf(*edit, TextFieldWidthInLetters));
    }
    auto* label = new QLabel(withoutMnemonic(control.label), &dialog);
    label->setBuddy(edit);
    layout.addRow(label, edit);
    return edit;
}

}  // namespace

bool showTextDepthDialog(TextDepthRequest& request, QWidget* owner)
{
    QDialog dialog(owner);
    dialog.setWindowTitle(fromUtf8(TextDepthDialogTitle));
    auto* dialogLayout = new QVBoxLayout(&dialog);
    dialogLayout->setSizeConstraint(QLayout::SetFixedSize);
    auto* form = new QFormLayout();
    dialogLayout->addLayout(form);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch();
    dialogLayout->addLayout(buttons);

    const TextDepthForm shown = textDepthFormFrom(request);
    QLineEdit* fields[TextDepthFieldCount] = {};
    for (size_t i = 0; i < TextDepthControlCount; ++i) {
        const TextDepthControl& control = TextDepthControls[i];
        if (control.kind != TextDepthControlKind::Button) {
            fields[i] = makeField(dialog, *form, control, shown.texts[i]);
            continue;
        }
        auto* button = new QPushButton(withoutMnemonic(control.label), &dialog);
        buttons->addWidget(button);
        if (control.controlId == TextDepthOkId) {
            button->setDefault(true);
            QObject::connect(button, &QPushButton::clicked, &dialog, [&dialog, &fields, &request] {
                TextDepthForm typed;
                for (size_t f = 0; f < TextDepthFieldCount; ++f) typed.texts[f] = fields[f]->text().toStdString();
                if (confirmTextDepthForm(typed, request, handleOf(&dialog))) dialog.accept();
            });
        } else {
            QObject::connect(button, &QPushButton::clicked, &dialog, &QDialog::reject);
        }
    }
    fields[0]->setFocus();
    return dialog.exec() == QDialog::Accepted;
}
