#pragma once

class QBoxLayout;
class QDialog;
class QPushButton;
class QString;

namespace quorvane {

// The foot of the about and help windows, appended to `layout`: a rule and
// an "OK" button named `okName`, the default button, which accepts the
// dialog (that hides it and ends exec()).
QPushButton *addOkFooter(QDialog *dialog, QBoxLayout *layout, const QString &okName);

} // namespace quorvane
