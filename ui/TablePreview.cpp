#include "ui/TablePreview.h"

#include "readers/ColumnLayout.h"
#include "ui/widgets/Appearance.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>

#include <algorithm>
#include <tuple>

namespace pellacor {
namespace {

// Wide enough for a short sequence, narrow enough that three columns fit the panel.
constexpr int widestColumn = 180;

QColor tint(QColor color) {
    color.setAlpha(40);
    return color;
}

// Cells shown on one line: a line break inside a quoted field would make the row tall.
QString oneLine(const std::string& cell) {
    QString text = QString::fromStdString(cell);
    text.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text;
}

} // namespace

TablePreview::TablePreview(QWidget* parent) : QTableWidget(parent) {
    setAccessibleName(tr("Table preview"));
    setAccessibleDescription(tr("The first rows of the table; a column's header chooses its use"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    Appearance::applyText(this, Appearance::TextRole::Caption);
    verticalHeader()->setVisible(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setTextElideMode(Qt::ElideRight);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        QHeaderView* header = horizontalHeader();
        const QPoint below(header->sectionViewportPosition(column), header->height());
        openRoleMenu(column, header->viewport()->mapToGlobal(below));
    });
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setVisible(false);
}

void TablePreview::showTable(const ColumnLayout* layout) {
    clear();
    if (menu_)
        menu_->close();
    if (!layout || layout->preview.empty()) {
        setRowCount(0);
        setColumnCount(0);
        setVisible(false);
        return;
    }
    leadingEmpty_ = layout->leadingEmpty;
    const auto at = [](std::optional<std::size_t> index) {
        return index ? static_cast<int>(*index) : -1;
    };
    identifier_ = at(layout->identifier);
    sequence_ = static_cast<int>(layout->sequence);
    description_ = at(layout->description);
    std::size_t columns = layout->columns;
    for (const auto& row : layout->preview)
        columns = std::max(columns, row.size());
    setColumnCount(static_cast<int>(columns));
    setRowCount(static_cast<int>(layout->preview.size()));

    for (int c = 0; c < columnCount(); ++c) {
        const auto index = static_cast<std::size_t>(c);
        const bool named = index < layout->names.size() && !layout->names[index].empty();
        const QString title = named ? QString::fromStdString(layout->names[index])
                                    : tr("Column %1").arg(layout->number(index));
        const bool isMoreSequence =
            std::find(layout->moreSequences.begin(), layout->moreSequences.end(), index) !=
            layout->moreSequences.end();
        QString role;
        QColor color;
        if (c == sequence_ || isMoreSequence) {
            role = tr("Sequence");
            color = Appearance::green();
        } else if (c == identifier_) {
            role = tr("ID");
            color = Appearance::blue();
        } else if (c == description_) {
            role = tr("Description");
            color = Appearance::amber();
        }
        auto* header =
            new QTableWidgetItem(role.isEmpty() ? title : role + QStringLiteral(": ") + title);
        header->setToolTip(
            role.isEmpty()
                ? tr("%1, not used. Click to choose its use.").arg(title)
                : tr("%1, used as %2. Click to choose its use.").arg(title, role.toLower()));
        if (color.isValid())
            header->setBackground(tint(color));
        QFont bold = font();
        bold.setBold(color.isValid());
        header->setFont(bold);
        setHorizontalHeaderItem(c, header);
        for (int r = 0; r < rowCount(); ++r) {
            const auto& cells = layout->preview[static_cast<std::size_t>(r)];
            auto* item =
                new QTableWidgetItem(index < cells.size() ? oneLine(cells[index]) : QString());
            if (color.isValid())
                item->setBackground(tint(color));
            setItem(r, c, item);
        }
    }
    // The header row names the columns and gives no record: it reads as a title.
    if (layout->hasHeader)
        for (int c = 0; c < columnCount(); ++c) {
            QTableWidgetItem* cell = item(0, c);
            QFont bold = font();
            bold.setBold(true);
            cell->setFont(bold);
            cell->setForeground(Appearance::secondary(this));
            cell->setToolTip(tr("Header row: it names the columns"));
        }
    resizeColumnsToContents();
    for (int c = 0; c < columnCount(); ++c)
        setColumnWidth(c, std::min(columnWidth(c), widestColumn));
    setFixedHeight(previewHeight());
    setVisible(true);
}

int TablePreview::previewHeight() const {
    const int rows = std::min(rowCount(), static_cast<int>(ColumnLayout::previewRows));
    const int header = horizontalHeader()->sizeHint().height();
    const int bar = horizontalScrollBar()->sizeHint().height();
    return header + rows * verticalHeader()->defaultSectionSize() + bar + 2 * frameWidth();
}

QSize TablePreview::sizeHint() const {
    return {QTableWidget::sizeHint().width(), previewHeight()};
}

QSize TablePreview::minimumSizeHint() const {
    return {QTableWidget::minimumSizeHint().width(), previewHeight()};
}

void TablePreview::openRoleMenu(int column, const QPoint& globalPosition) {
    if (column < 0 || column >= columnCount())
        return;
    if (menu_)
        menu_->close();
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const std::size_t number = leadingEmpty_ + static_cast<std::size_t>(column) + 1;
    for (const auto& [text, role, held] :
         {std::tuple{tr("Use as identifier"), ColumnRole::identifier, identifier_},
          {tr("Use as sequence"), ColumnRole::sequence, sequence_},
          {tr("Use as description"), ColumnRole::description, description_}}) {
        QAction* action = menu->addAction(text);
        action->setCheckable(true);
        action->setChecked(held == column);
        connect(action, &QAction::triggered, this,
                [this, role, number] { emit roleChosen(role, number); });
    }
    menu_ = menu;
    menu->popup(globalPosition);
}

void TablePreview::keyPressEvent(QKeyEvent* event) {
    // Space on a cell opens its column's menu, as a click on the column's header does.
    if (event->key() == Qt::Key_Space && currentColumn() >= 0) {
        const QRect cell = visualRect(currentIndex());
        openRoleMenu(currentColumn(), viewport()->mapToGlobal(cell.bottomLeft()));
        return;
    }
    QTableWidget::keyPressEvent(event);
}

void TablePreview::contextMenuEvent(QContextMenuEvent* event) {
    const int column =
        event->reason() == QContextMenuEvent::Mouse ? columnAt(event->pos().x()) : currentColumn();
    if (column < 0)
        return;
    const QRect cell = visualRect(currentIndex());
    openRoleMenu(column, event->reason() == QContextMenuEvent::Mouse
                             ? event->globalPos()
                             : viewport()->mapToGlobal(cell.bottomLeft()));
}

} // namespace pellacor
