#include "ui/cAniCursor.h"

#include "common/AniCursorFile.h"

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QTimer>

#include <optional>

namespace quorvane {

// The picture window: shows one frame per step and moves on when the step's
// time is up. It stops while hidden, so a hidden dialog costs nothing.
class AniCursorView final : public QLabel {
public:
    AniCursorView(QList<QPixmap> frames, QList<int> sequence, QList<int> delaysMs, QWidget *parent)
        : QLabel(parent), m_frames(std::move(frames)), m_sequence(std::move(sequence)),
          m_delays(std::move(delaysMs))
    {
        setObjectName(QStringLiteral("aniCursorPicture"));
        setAlignment(Qt::AlignCenter);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] { showStep((m_step + 1) % m_sequence.size()); });
        showStep(0);
    }

    [[nodiscard]] int step() const { return m_step; }
    [[nodiscard]] int steps() const { return int(m_sequence.size()); }

protected:
    void showEvent(QShowEvent *event) override
    {
        QLabel::showEvent(event);
        if (m_sequence.size() > 1)
            m_timer.start(m_delays[m_step]);
    }
    void hideEvent(QHideEvent *event) override
    {
        m_timer.stop();
        QLabel::hideEvent(event);
    }

private:
    void showStep(int step)
    {
        m_step = step;
        setPixmap(m_frames[m_sequence[step]]);
        if (m_sequence.size() > 1 && isVisible())
            m_timer.start(m_delays[step]);
    }

    QList<QPixmap> m_frames;
    QList<int> m_sequence;
    QList<int> m_delays;
    QTimer m_timer;
    int m_step = 0;
};

namespace {

std::optional<QPixmap> toPixmap(const AniImage &image)
{
    QImage img;
    if (!image.png.isEmpty()) {
        img = QImage::fromData(image.png, "PNG");
        if (img.isNull())
            return std::nullopt;
    } else {
        img = QImage(image.width, image.height, QImage::Format_ARGB32);
        for (int y = 0; y < image.height; ++y)
            std::copy_n(image.argb.constData() + qsizetype(y) * image.width, image.width,
                        reinterpret_cast<quint32 *>(img.scanLine(y)));
    }
    return QPixmap::fromImage(img);
}

} // namespace

cAniCursor::cAniCursor(QObject *parent) : QObject(parent) {}

cAniCursor::~cAniCursor() { release(); }

bool cAniCursor::Create(const QString &sAniName, QWidget *parent, int X, int Y)
{
    if (!parent || sAniName.isEmpty())
        return false;
    QFile file(sAniName);
    if (!file.open(QIODevice::ReadOnly) || file.size() > AniCursorFile::maxFileSize)
        return false;
    const QByteArray bytes = file.read(AniCursorFile::maxFileSize + 1);
    const AniParseResult parsed = AniCursorFile::parse(bytes);
    if (!parsed.cursor)
        return false;

    QList<QPixmap> frames;
    QSize size;
    for (const AniImage &image : parsed.cursor->frames) {
        std::optional<QPixmap> pixmap = toPixmap(image);
        if (!pixmap)
            return false;
        size = size.expandedTo(pixmap->deviceIndependentSize().toSize());
        frames.append(std::move(*pixmap));
    }
    QList<int> delays;
    for (quint32 rate : parsed.cursor->rates)
        delays.append(AniCursorFile::stepDelayMs(rate));

    auto *view = new AniCursorView(std::move(frames), parsed.cursor->sequence, std::move(delays), parent);
    view->setGeometry(X, Y, size.width(), size.height());
    view->show();

    release();
    m_view = view;
    m_width = view->width();
    m_height = view->height();
    return true;
}

bool cAniCursor::hasPicture() const { return !m_view.isNull(); }

QWidget *cAniCursor::hwnd() const { return m_view.data(); }

void cAniCursor::setLeft(int left)
{
    if (!m_view)
        return;
    m_left = left;
    m_view->move(m_left, m_top);
}

void cAniCursor::setTop(int top)
{
    if (!m_view)
        return;
    m_top = top;
    m_view->move(m_left, m_top);
}

int cAniCursor::currentStep() const { return m_view ? m_view->step() : -1; }

int cAniCursor::stepCount() const { return m_view ? m_view->steps() : 0; }

void cAniCursor::release() { delete m_view.data(); }

} // namespace quorvane
