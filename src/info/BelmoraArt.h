#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

// The maker's pictures, drawn rather than loaded so that nothing has to be
// shipped or found at run time.
namespace quorvane::BelmoraArt {

// The square logo: three linked sites on a blue tile.
QPixmap logo(int side);
// A wide banner: logo, company name and the web address shown as text.
QPixmap banner(QSize size, const QString &company, const QString &webAddress);

} // namespace quorvane::BelmoraArt
