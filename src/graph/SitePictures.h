#pragma once

#include <QFont>
#include <QPixmap>

namespace quorvane::SitePictures {

// The pictures of the replica graph, drawn in code so that they stay sharp
// on any screen: a server standing on its network line (30 x 33 pixels),
// the same server on a selection halo (32 x 33 pixels) and the thin bar
// along the top of the picture (1183 x 8 pixels). Sizes are logical pixels.
QPixmap siteIcon();
QPixmap highlightedSiteIcon();
QPixmap topBar();

// The small fonts of the site labels and markers (6.75 point).
QFont siteFont(bool bold);

} // namespace quorvane::SitePictures
