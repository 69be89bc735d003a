#include "ui/NameWidgets.h"

#include "common/ShownName.h"

#include <QComboBox>
#include <QLabel>

namespace quorvane::NameWidgets {

void setCaptionAndName(QLabel *label, const QString &caption, const QString &name)
{
    const QString shown = ShownName::shortened(name);
    label->setText(caption + ShownName::isolated(shown));
    label->setToolTip(shown == name ? QString() : name);
}

void boundNameCombo(QComboBox *combo)
{
    // About 48 characters of an average name, the box's frame and arrow
    // beside them.
    combo->setMaximumWidth(std::max(combo->minimumWidth(), combo->fontMetrics().averageCharWidth() * 48 + 40));
    QObject::connect(combo, &QComboBox::currentTextChanged, combo, [combo](const QString &text) {
        const bool cut = combo->fontMetrics().horizontalAdvance(text) > combo->width() - 30;
        combo->setToolTip(cut ? text : QString());
    });
}

} // namespace quorvane::NameWidgets
