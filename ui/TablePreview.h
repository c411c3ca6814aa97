#pragma once

#include "ui/ColumnRole.h"

#include <QMenu>
#include <QPointer>
#include <QTableWidget>

#include <cstddef>

namespace pellacor {

struct ColumnLayout;

/// The first rows of the table, read-only, as the reader saw them: each column titled by its
/// name or number, the columns used marked by their role and a tint, the header row in bold.
/// A column's header (a click, or Space or the menu key on one of its cells) offers its use
/// as identifier, sequence or description.
class TablePreview : public QTableWidget {
    Q_OBJECT

public:
    /// An empty preview, hidden until it has a table to show.
    explicit TablePreview(QWidget* parent = nullptr);

    /// Shows the first rows of `layout` with its roles marked; null hides the preview.
    void showTable(const ColumnLayout* layout);

    /// The menu of roles last opened for a column, while it is open; else null.
    QMenu* roleMenu() const noexcept { return menu_; }
    /// Opens the menu of roles for column `column` (counted as the grid shows it) at
    /// `globalPosition`.
    void openRoleMenu(int column, const QPoint& globalPosition);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    /// The user chose `role` for the column the table numbers `number` (leading empty
    /// columns counted).
    void roleChosen(pellacor::ColumnRole role, std::size_t number);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // The height of the rows shown, the header and a horizontal scroll bar included.
    int previewHeight() const;

    // The number each grid column is known by, as a message or menu counts it.
    std::size_t leadingEmpty_ = 0;
    // The grid columns that give each role; -1 for none.
    int identifier_ = -1;
    int sequence_ = -1;
    int description_ = -1;
    QPointer<QMenu> menu_;
};

} // namespace pellacor
