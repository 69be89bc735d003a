#include "ui/TwipsGeometry.h"

#include "common/Twips.h"

#include <QVariant>

namespace quorvane {

namespace {
int prop(const QWidget *w, const char *name, int fallbackPx)
{
    const QVariant v = w->property(name);
    return v.isValid() ? v.toInt() : Twips::fromPx(fallbackPx);
}
} // namespace

void setTwipsGeometry(QWidget *w, int left, int top, int width, int height)
{
    w->setProperty("twipsLeft", left);
    w->setProperty("twipsTop", top);
    w->setProperty("twipsWidth", width);
    w->setProperty("twipsHeight", height);
    w->setGeometry(Twips::toPx(left), Twips::toPx(top), Twips::toPx(width), Twips::toPx(height));
}

void setTwipsPos(QWidget *w, int left, int top)
{
    setTwipsGeometry(w, left, top, twipsWidth(w), twipsHeight(w));
}

void setTwipsSize(QWidget *w, int width, int height)
{
    setTwipsGeometry(w, twipsLeft(w), twipsTop(w), width, height);
}

int twipsLeft(const QWidget *w) { return prop(w, "twipsLeft", w->x()); }
int twipsTop(const QWidget *w) { return prop(w, "twipsTop", w->y()); }
int twipsWidth(const QWidget *w) { return prop(w, "twipsWidth", w->width()); }
int twipsHeight(const QWidget *w) { return prop(w, "twipsHeight", w->height()); }

} // namespace quorvane
