#include "info/frmAbout.h"

#include "info/BelmoraArt.h"
#include "info/DialogFooter.h"
#include "info/InfoTexts.h"
#include "common/AppInfo.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorvane {

namespace {

QLabel *label(const QString &name, QWidget *parent)
{
    auto *l = new QLabel(parent);
    l->setObjectName(name);
    l->setTextFormat(Qt::PlainText);
    return l;
}

} // namespace

frmAbout::frmAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));

    // Left: the maker's logo and name; right: the program.
    auto *image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(BelmoraArt::logo(72));
    image->setFixedSize(72, 72);
    auto *company = label(QStringLiteral("Label1"), this);
    company->setText(AppInfo::company());
    company->setAlignment(Qt::AlignHCenter);
    QFont companyFont = company->font();
    companyFont.setBold(true);
    company->setFont(companyFont);
    auto *maker = new QVBoxLayout;
    maker->addWidget(image, 0, Qt::AlignHCenter);
    maker->addWidget(company);
    maker->addStretch();

    for (int i = 0; i < 3; ++i)
        m_mainLbl[i] = label(QStringLiteral("mainLbl(%1)").arg(i), this);
    QFont titleFont = m_mainLbl[0]->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.9);
    titleFont.setBold(true);
    m_mainLbl[0]->setFont(titleFont);
    QFont versionFont = m_mainLbl[1]->font();
    versionFont.setPointSizeF(versionFont.pointSizeF() * 1.1);
    m_mainLbl[1]->setFont(versionFont);
    // A label's size hint is its text's ink, which some fonts (Windows
    // substitutes among them) draw a pixel shorter than the line: in a
    // window of fixed size that pixel would be cut from the descenders.
    for (QLabel *l : m_mainLbl)
        l->setMinimumHeight(QFontMetrics(l->font()).height());
    m_mainLbl[2]->setForegroundRole(QPalette::PlaceholderText);
    auto *author = label(QStringLiteral("authorLbl"), this);
    author->setText(InfoTexts::authorLine());
    author->setForegroundRole(QPalette::PlaceholderText);
    auto *program = new QVBoxLayout;
    program->setSpacing(4);
    program->addWidget(m_mainLbl[0]);
    program->addWidget(m_mainLbl[1]);
    program->addSpacing(8);
    program->addWidget(m_mainLbl[2]);
    program->addWidget(author);
    program->addStretch();

    auto *head = new QHBoxLayout;
    head->setSpacing(20);
    head->addLayout(maker);
    head->addLayout(program, 1);

    m_txtInfo = new QPlainTextEdit(this);
    m_txtInfo->setObjectName(QStringLiteral("txtInfo"));
    m_txtInfo->setReadOnly(true);
    m_txtInfo->setMinimumHeight(150);

    auto *all = new QVBoxLayout(this);
    all->setContentsMargins(20, 20, 20, 16);
    all->setSpacing(14);
    all->addLayout(head);
    all->addWidget(m_txtInfo, 1);
    m_okBut = addOkFooter(this, all, QStringLiteral("okBut"));
    load();
    // Sized from the desktop's font: wide enough for the copyright line and
    // a comfortable measure of the terms, never narrower than its layout needs.
    const QFontMetrics fm(font());
    setFixedSize(sizeHint().expandedTo(QSize(52 * fm.averageCharWidth(), 25 * fm.lineSpacing())));
}

frmAbout::~frmAbout() = default;

void frmAbout::load()
{
    setWindowTitle(InfoTexts::aboutCaption());
    m_mainLbl[0]->setText(AppInfo::title());
    m_mainLbl[1]->setText(InfoTexts::versionLine());
    m_mainLbl[2]->setText(AppInfo::copyright());
    m_txtInfo->setPlainText(InfoTexts::termsOfUse());
}

} // namespace quorvane
