#pragma once

#include <QWidget>

class QLabel;
class QSortFilterProxyModel;
class QTableView;

namespace quorvane {

class PacketModel;

// dPackets under the diagnosis: the opened VOB's packets in this site's
// bays, a sortable table that copies its selected rows (Ctrl+C) as
// tab-separated text. A note says when there are none, or why they could
// not be listed.
class PacketPanel final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PacketPanel)
public:
    explicit PacketPanel(QWidget *parent = nullptr);

    [[nodiscard]] PacketModel *model() const { return m_model; }
    [[nodiscard]] QTableView *view() const { return m_view; }
    [[nodiscard]] QLabel *note() const { return m_note; }

    // After the model was filled: the table when it holds packets, the
    // note otherwise; failure (non-empty) is why the bays were not listed.
    void showListed(const QString &failure = {});
    void clearPackets();
    // The selected rows (all, when none is) in the order shown, onto the clipboard.
    void copySelection();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *m_label = nullptr;
    QLabel *m_note = nullptr;
    QTableView *m_view = nullptr;
    PacketModel *m_model = nullptr;
    QSortFilterProxyModel *m_proxy = nullptr;
};

} // namespace quorvane
