#pragma once

#include <QString>

class QComboBox;
class QLabel;

namespace quorvane::NameWidgets {

// A label's text made of a caption and a name (a VOB tag, a replica): the
// name isolated and, when long, shortened in the middle; the whole name
// is then the label's tooltip. A name of any length leaves the window's
// width alone.
void setCaptionAndName(QLabel *label, const QString &caption, const QString &name);

// A combo box of replica names grows with its names up to a readable
// width and no further; a longer current name is its tooltip. The entries
// keep the whole names, which the actions read.
void boundNameCombo(QComboBox *combo);

} // namespace quorvane::NameWidgets
