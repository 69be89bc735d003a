#include "info/frmGettingHelp.h"

#include "info/BelmoraArt.h"
#include "info/ClickableImage.h"
#include "info/DialogFooter.h"
#include "info/InfoTexts.h"
#include "common/AppInfo.h"

#include <QDesktopServices>
#include <QFontMetrics>
#include <QLabel>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace quorvane {

namespace {

// The measure of the texts: 480 pixels at the usual desktop font, wider
// with a larger one so that the lines keep their length in words.
int contentWidth(const QWidget *w)
{
    return std::max(480, 56 * QFontMetrics(w->font()).averageCharWidth());
}

// The statement ends with an empty line of its own; the label keeps that
// text as it is, but is sized to the words plus one paragraph gap so that
// the next label does not drift away. The words are measured by a label
// like it, so that the height is the one the label lays them out in.
void fitToWords(QLabel *label)
{
    QString words = label->text();
    while (words.endsWith(QLatin1Char('\n')) || words.endsWith(QLatin1Char('\r')))
        words.chop(1);
    QLabel probe(words);
    probe.setFont(label->font());
    probe.setWordWrap(true);
    probe.setContentsMargins(label->contentsMargins());
    label->setFixedHeight(probe.heightForWidth(label->width()) + QFontMetrics(label->font()).lineSpacing() / 2);
}

} // namespace

frmGettingHelp::frmGettingHelp(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmGettingHelp"));
    setWindowTitle(InfoTexts::helpCaption());

    m_image = new ClickableImage(this);
    m_image->setObjectName(QStringLiteral("Image1"));
    const int width = contentWidth(this);
    m_image->setPixmap(BelmoraArt::banner(QSize(width, 84), AppInfo::company(), AppInfo::webAddress()));
    m_image->setFixedSize(width, 84);
    m_image->setToolTip(InfoTexts::webLinkTooltip());
    connect(m_image, &ClickableImage::clicked, this, &frmGettingHelp::openWebPage);

    // The texts are for reading only: no links, no selection, no reaction to clicks.
    for (int i = 0; i < 4; ++i) {
        auto *l = new QLabel(this);
        l->setObjectName(QStringLiteral("lblMain(%1)").arg(i));
        l->setTextFormat(Qt::PlainText);
        l->setTextInteractionFlags(Qt::NoTextInteraction);
        l->setWordWrap(true);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        l->setFixedWidth(width);
        m_lblMain[i] = l;
    }
    QFont contacts = m_lblMain[1]->font();
    contacts.setBold(true);
    m_lblMain[1]->setFont(contacts);
    m_lblMain[1]->setContentsMargins(16, 0, 0, 0);

    auto *all = new QVBoxLayout(this);
    all->setContentsMargins(20, 20, 20, 16);
    all->setSpacing(8);
    all->addWidget(m_image);
    all->addSpacing(8);
    all->addWidget(m_lblMain[0]);
    all->addWidget(m_lblMain[3]);
    all->addWidget(m_lblMain[1]);
    all->addSpacing(8);
    all->addWidget(m_lblMain[2]);
    all->addStretch();
    addOkFooter(this, all, QStringLiteral("Command1"));
    all->setSizeConstraint(QLayout::SetFixedSize);

    load();
}

frmGettingHelp::~frmGettingHelp() = default;

void frmGettingHelp::load()
{
    m_lblMain[0]->setText(InfoTexts::helpStatement());
    m_lblMain[3]->setText(InfoTexts::helpInvitation());
    m_lblMain[1]->setText(InfoTexts::helpContacts());
    m_lblMain[2]->setText(InfoTexts::helpBugLine());
    fitToWords(m_lblMain[0]);
}

void frmGettingHelp::openWebPage()
{
    // The desktop shows the page in the user's browser; nothing to check.
    QDesktopServices::openUrl(QUrl(AppInfo::webAddress()));
}

} // namespace quorvane
