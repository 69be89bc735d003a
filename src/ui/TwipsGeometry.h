#pragma once

#include <QWidget>

namespace quorvane {

// Controls placed in twips keep their twips geometry as the properties
// twipsLeft/Top/Width/Height (the source of truth); the pixel geometry
// follows from it through Twips::toPx.
void setTwipsGeometry(QWidget *w, int left, int top, int width, int height);
void setTwipsPos(QWidget *w, int left, int top);
void setTwipsSize(QWidget *w, int width, int height);
int twipsLeft(const QWidget *w);
int twipsTop(const QWidget *w);
int twipsWidth(const QWidget *w);
int twipsHeight(const QWidget *w);

} // namespace quorvane
